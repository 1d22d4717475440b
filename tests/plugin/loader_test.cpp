// The POSIX module loader: bases, reference counts, the entry point, and the
// program's own file name.
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"
#include "tests/plugin/fake_host.h"

// A symbol of the test program itself, for lookups through its own name.
extern "C" __attribute__((visibility("default"))) int LoaderTestProgramSymbol(void) { return 7; }

namespace {

template <class Function>
Function Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
}

std::string ProgramPath() {
    char path[PATH_MAX];
    return realpath("/proc/self/exe", path) ? path : "";
}

TEST(Loader, LoadsAModuleAtItsBaseAndRunsItsEntryOnce) {
    ASSERT_EQ(GetModuleHandleA(FAKE_HOST_COMPLETE), nullptr);
    HMODULE module = LoadLibraryA(FAKE_HOST_COMPLETE);
    ASSERT_NE(module, nullptr);

    Dl_info info;
    ASSERT_TRUE(dladdr(reinterpret_cast<void*>(GetProcAddress(module, "MQ_CreateObject")), &info));
    EXPECT_EQ(info.dli_fbase, static_cast<void*>(module));
    EXPECT_EQ(GetModuleHandleA(FAKE_HOST_COMPLETE), module);

    auto entryCalls = Lookup<int (*)(void)>(module, "FakeHostEntryCalls");
    auto lastInstance = Lookup<HINSTANCE (*)(void)>(module, "FakeHostLastEntryInstance");
    auto lastReason = Lookup<DWORD (*)(void)>(module, "FakeHostLastEntryReason");
    ASSERT_TRUE(entryCalls && lastInstance && lastReason);
    EXPECT_EQ(entryCalls(), 1);
    EXPECT_EQ(lastInstance(), module);
    EXPECT_EQ(lastReason(), static_cast<DWORD>(DLL_PROCESS_ATTACH));

    // A second load adds a reference only.
    EXPECT_EQ(LoadLibraryA(FAKE_HOST_COMPLETE), module);
    EXPECT_EQ(entryCalls(), 1);

    char name[PATH_MAX];
    char expected[PATH_MAX];
    ASSERT_NE(realpath(FAKE_HOST_COMPLETE, expected), nullptr);
    EXPECT_EQ(GetModuleFileNameA(module, name, sizeof name), std::string(expected).size());
    EXPECT_STREQ(name, expected);

    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(GetModuleHandleA(FAKE_HOST_COMPLETE), module) << "one reference is left";
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(GetModuleHandleA(FAKE_HOST_COMPLETE), nullptr);
    EXPECT_FALSE(FreeLibrary(module)) << "no reference is left";
}

TEST(Loader, UnknownFilesModulesAndNamesGiveNull) {
    EXPECT_EQ(LoadLibraryA("/nonexistent/library.so"), nullptr);
    EXPECT_EQ(LoadLibraryA(""), nullptr);
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);

    HMODULE module = LoadLibraryA(FAKE_HOST_COMPLETE);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetProcAddress(module, "NoSuchHostFunction"), nullptr);
    EXPECT_EQ(GetProcAddress(module, nullptr), nullptr);
    EXPECT_TRUE(FreeLibrary(module));

    static int notAModule;
    EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(&notAModule), "MQ_CreateObject"), nullptr);
    EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(&notAModule)));
}

TEST(Loader, TheProgramsOwnFileNameNamesTheProgram) {
    const std::string path = ProgramPath();
    ASSERT_FALSE(path.empty());
    char name[PATH_MAX];
    EXPECT_EQ(GetModuleFileNameA(nullptr, name, sizeof name), path.size());
    EXPECT_EQ(name, path);
    char shortName[4];
    EXPECT_EQ(GetModuleFileNameA(nullptr, shortName, sizeof shortName), 3u);
    EXPECT_EQ(std::string(shortName), path.substr(0, 3));

    HMODULE program = GetModuleHandleA(nullptr);
    ASSERT_NE(program, nullptr);
    HMODULE loaded = LoadLibraryA(path.c_str());
    EXPECT_EQ(loaded, program);
    HMODULE again = LoadLibraryA("/proc/self/exe");
    EXPECT_EQ(again, program);

    auto symbol = Lookup<int (*)(void)>(loaded, "LoaderTestProgramSymbol");
    ASSERT_NE(symbol, nullptr);
    EXPECT_EQ(symbol(), 7);
    // The program's lookups also reach the libraries it was started with.
    EXPECT_NE(GetProcAddress(loaded, "MessageBoxA"), nullptr);

    EXPECT_TRUE(FreeLibrary(again));
    EXPECT_TRUE(FreeLibrary(loaded));
    EXPECT_FALSE(FreeLibrary(loaded));
    EXPECT_EQ(GetModuleHandleA(nullptr), program) << "the program itself never goes";
}

}  // namespace
