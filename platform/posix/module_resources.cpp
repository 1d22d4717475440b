#include "platform/posix/module_resources.h"

#include <dlfcn.h>

#include <map>
#include <utility>

namespace {

using ResourceKey = std::pair<std::uintptr_t, std::uint32_t>;

ResourceKey KeyOf(HINSTANCE module, std::uint32_t id) {
    return ResourceKey(reinterpret_cast<std::uintptr_t>(module), id);
}

// Never destroyed: modules withdraw their templates from their own static
// destructors, which may run at exit after this library's.
std::map<ResourceKey, const DialogResource*>& Registry() {
    static auto* registry = new std::map<ResourceKey, const DialogResource*>();
    return *registry;
}

}  // namespace

HINSTANCE ModuleHandleContaining(const void* address) {
    Dl_info info;
    if (!address || !dladdr(address, &info)) return nullptr;
    return static_cast<HINSTANCE>(info.dli_fbase);
}

void RegisterDialogResource(HINSTANCE module, const DialogResource* dialog) {
    if (!module || !dialog) return;
    Registry()[KeyOf(module, dialog->id)] = dialog;
}

void UnregisterModuleResources(HINSTANCE module) {
    auto& registry = Registry();
    auto it = registry.lower_bound(KeyOf(module, 0));
    while (it != registry.end() && it->first.first == reinterpret_cast<std::uintptr_t>(module)) it = registry.erase(it);
}

const DialogResource* FindDialogResource(HINSTANCE module, std::uint32_t id) {
    auto& registry = Registry();
    auto it = registry.find(KeyOf(module, id));
    return it == registry.end() ? nullptr : it->second;
}
