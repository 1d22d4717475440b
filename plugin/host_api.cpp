#include "plugin/host_api.h"

HostApiTable HostApi = {};
