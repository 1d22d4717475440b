#include "host/bind_in_process.h"

#include <type_traits>

#include "host/mq_functions.h"
#include "plugin/host_api.h"

namespace {

// Typed entries take the function as it is, so that a signature that differs
// from the module's expectation fails to compile; untyped ones take any.
template <class Entry, class Function>
Entry Bound(Function function) {
    if constexpr (std::is_same_v<Entry, MQUntypedFunction>) {
        return reinterpret_cast<Entry>(function);
    } else {
        return function;
    }
}

}  // namespace

void BindHostApiInProcess() {
#define HOST_BIND(name) HostApi.name = Bound<decltype(HostApi.name)>(&::name);
    MQ_HOST_LOOKUP_ORDER(HOST_BIND)
#undef HOST_BIND
}
