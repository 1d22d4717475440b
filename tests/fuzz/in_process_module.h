// The module linked into a fuzz program that is its own host: binding and
// start-up as the modeller would do them, once per process.
#pragma once

// Binds the module to the host functions this program exports (MQInit with
// the program's own file) and starts it (DllMain), on the first call only.
void StartModuleInThisProgram();
