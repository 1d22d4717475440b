// The program's exports: every host name of the module's lookup list is found
// by name in the program's own dynamic symbols, and is this host's function.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "host/bind_in_process.h"
#include "host/mq_functions.h"
#include "plugin/host_api.h"

namespace {

struct Lookup {
    const char* name;
    void* own;  // the host function of that name, as linked
};

const std::vector<Lookup>& LookupList() {
#define HOST_LOOKUP(name) Lookup{#name, reinterpret_cast<void*>(&::name)},
    static const std::vector<Lookup> list = {MQ_HOST_LOOKUP_ORDER(HOST_LOOKUP)};
#undef HOST_LOOKUP
    return list;
}

TEST(HostExports, EveryLookupOfTheModuleFindsTheHostFunction) {
    const std::vector<Lookup>& list = LookupList();
    ASSERT_EQ(list.size(), 141u);
    std::set<std::string> distinct;
    for (const Lookup& l : list) distinct.insert(l.name);
    EXPECT_EQ(distinct.size(), 140u);

    void* self = dlopen(nullptr, RTLD_NOW);
    ASSERT_NE(self, nullptr);
    for (const Lookup& l : list) {
        void* found = dlsym(self, l.name);
        EXPECT_NE(found, nullptr) << l.name;
        EXPECT_EQ(found, l.own) << l.name;
    }
    dlclose(self);
}

TEST(HostExports, InProcessBindingFillsEveryEntry) {
    HostApi = HostApiTable{};
    BindHostApiInProcess();
    const MQUntypedFunction* entries = reinterpret_cast<const MQUntypedFunction*>(&HostApi);
    static_assert(sizeof(HostApiTable) == kHostEntryCount * sizeof(MQUntypedFunction), "one pointer per entry");
    for (int i = 0; i < kHostEntryCount; ++i) EXPECT_NE(entries[i], nullptr) << i;
    EXPECT_EQ(HostApi.MQObj_OptimizeVertex, &MQObj_OptimizeVertex);
    MQObject o = HostApi.MQ_CreateObject();
    MQPoint p{1, 2, 3};
    EXPECT_EQ(HostApi.MQObj_AddVertex(o, &p), 0);
    EXPECT_EQ(HostApi.MQObj_GetVertexCount(o), 1);
    HostApi.MQObj_Delete(o);
}

TEST(HostExports, MainWindowIsOneNonNullHandle) {
    HWND w = MQ_GetWindowHandle();
    EXPECT_NE(w, nullptr);
    EXPECT_EQ(MQ_GetWindowHandle(), w);
}

TEST(HostExports, UnofferedFunctionsSayOnceThatTheyAreNotOffered) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(MQ_SendMessage(0, nullptr));
    EXPECT_FALSE(MQ_SendMessage(1, nullptr));
    EXPECT_EQ(MQObj_GetPatchType(nullptr), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "thicken host: MQ_SendMessage is not offered by this host\n"
              "thicken host: MQObj_GetPatchType is not offered by this host\n");
}

}  // namespace
