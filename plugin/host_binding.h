// Binding the host: the module looks up every host function by name in the
// host's executable and keeps the addresses in HostApi.
#pragma once

// Loads the executable `hostFileName` and looks the host's 141 names up in
// lookup order, storing each address in its HostApi entry. Stops at the first
// name the host lacks: the entries before it are filled, the others keep what
// they held. Returns true when every name was found; false also when the file
// cannot be loaded (then nothing is bound). The module is released again; the
// addresses stay valid because the host's executable stays loaded.
bool BindHost(const char* hostFileName);

// Whether the last BindHost filled every entry. The command relies on it.
bool HostIsBound();
