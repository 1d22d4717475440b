// Binding the module's host table to this host without going through MQInit.
#pragma once

// Fills every entry of the global HostApi (plugin/host_api.h) with this
// host's own function of that name, as a successful MQInit would. For
// programs and tests that link the module's code and the host together.
void BindHostApiInProcess();
