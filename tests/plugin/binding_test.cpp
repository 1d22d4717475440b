// MQInit's binding of the host: lookup order, the stop at the first missing
// name, what the entries hold afterwards, and a command that refuses to run
// without a complete binding.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/exports.h"
#include "plugin/host_api.h"
#include "tests/plugin/lookup_recorder.h"

namespace {

const std::vector<std::string> kLookupOrder = {
#define THICKEN_NAME(name) #name,
    MQ_HOST_LOOKUP_ORDER(THICKEN_NAME)
#undef THICKEN_NAME
};

struct Entry {
    std::string name;
    void (*address)(void);
};

// Every HostApi entry by name, in lookup order (the repeated name twice).
std::vector<Entry> Entries() {
    std::vector<Entry> entries;
#define THICKEN_ENTRY(name) \
    entries.push_back({#name, reinterpret_cast<void (*)(void)>(HostApi.name)});
    MQ_HOST_LOOKUP_ORDER(THICKEN_ENTRY)
#undef THICKEN_ENTRY
    return entries;
}

void (*AddressIn(HMODULE module, const std::string& name))(void) {
    return reinterpret_cast<void (*)(void)>(GetProcAddress(module, name.c_str()));
}

int CallCount(HMODULE fakeHost) {
    auto count = reinterpret_cast<int (*)(void)>(
        reinterpret_cast<void (*)(void)>(GetProcAddress(fakeHost, "FakeHostCallCount")));
    return count ? count() : -1;
}

// A document handle the module must not touch.
MQDocument UntouchableDocument() {
    static int sentinel;
    return reinterpret_cast<MQDocument>(&sentinel);
}

class Binding : public ::testing::Test {
protected:
    void SetUp() override {
        HostApi = HostApiTable{};
        ClearRecordedLookups();
    }
    void TearDown() override {
        for (HMODULE module : held_) FreeLibrary(module);
    }
    // Keeps a fake host loaded, as a host's executable stays loaded.
    HMODULE Hold(const char* path) {
        HMODULE module = LoadLibraryA(path);
        EXPECT_NE(module, nullptr) << path;
        if (module) held_.push_back(module);
        return module;
    }

private:
    std::vector<HMODULE> held_;
};

TEST_F(Binding, CompleteHostFillsEveryEntryInLookupOrder) {
    HMODULE host = Hold(FAKE_HOST_COMPLETE);
    EXPECT_EQ(MQInit(FAKE_HOST_COMPLETE), 1);
    const std::vector<std::string> lookups = RecordedLookups();
    EXPECT_EQ(lookups.size(), 141u);
    EXPECT_EQ(lookups, kLookupOrder);

    for (const Entry& entry : Entries()) {
        EXPECT_NE(entry.address, nullptr) << entry.name;
        EXPECT_EQ(entry.address, AddressIn(host, entry.name)) << entry.name;
    }
    EXPECT_EQ(CallCount(host), 0) << "binding calls no host function";

    // A complete binding still runs nothing for another menu index.
    EXPECT_EQ(MQModifySelect(1, UntouchableDocument()), 0);
    EXPECT_EQ(MQModifySelect(-1, UntouchableDocument()), 0);
    EXPECT_EQ(CallCount(host), 0);
}

TEST_F(Binding, HostLackingOnlyTheLastNameFailsWithEveryOtherEntryFilled) {
    HMODULE host = Hold(FAKE_HOST_WITHOUT_LAST);
    EXPECT_EQ(MQInit(FAKE_HOST_WITHOUT_LAST), 0);
    EXPECT_EQ(RecordedLookups(), kLookupOrder);

    for (const Entry& entry : Entries()) {
        if (entry.name == "MQXmlElem_Value") {
            EXPECT_EQ(entry.address, nullptr);
        } else {
            EXPECT_EQ(entry.address, AddressIn(host, entry.name)) << entry.name;
            EXPECT_NE(entry.address, nullptr) << entry.name;
        }
    }
    // The table is almost complete, but the command must not run on it.
    EXPECT_EQ(MQModifySelect(0, UntouchableDocument()), 0);
    EXPECT_EQ(CallCount(host), 0);
}

TEST_F(Binding, HostLackingTheFirstNameFailsAfterOneLookup) {
    HMODULE host = Hold(FAKE_HOST_WITHOUT_FIRST);
    EXPECT_EQ(MQInit(FAKE_HOST_WITHOUT_FIRST), 0);
    EXPECT_EQ(RecordedLookups(), std::vector<std::string>{"MQ_GetWindowHandle"});
    for (const Entry& entry : Entries()) EXPECT_EQ(entry.address, nullptr) << entry.name;
    EXPECT_EQ(MQModifySelect(0, UntouchableDocument()), 0);
    EXPECT_EQ(CallCount(host), 0);
}

TEST_F(Binding, FailedSecondBindingKeepsTheEntriesAndRefusesTheCommand) {
    HMODULE complete = Hold(FAKE_HOST_COMPLETE);
    Hold(FAKE_HOST_WITHOUT_FIRST);
    ASSERT_EQ(MQInit(FAKE_HOST_COMPLETE), 1);
    const std::vector<Entry> before = Entries();

    EXPECT_EQ(MQInit(FAKE_HOST_WITHOUT_FIRST), 0);
    const std::vector<Entry> after = Entries();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i)
        EXPECT_EQ(after[i].address, before[i].address) << after[i].name;
    EXPECT_EQ(MQModifySelect(0, UntouchableDocument()), 0);
    EXPECT_EQ(CallCount(complete), 0);
}

TEST_F(Binding, UnloadableHostBindsNothing) {
    EXPECT_EQ(MQInit("/nonexistent/host-program"), 0);
    EXPECT_EQ(MQInit(nullptr), 0);
    EXPECT_TRUE(RecordedLookups().empty());
    for (const Entry& entry : Entries()) EXPECT_EQ(entry.address, nullptr) << entry.name;
    EXPECT_EQ(MQModifySelect(0, UntouchableDocument()), 0);
}

TEST_F(Binding, ReleasesTheHostAgain) {
    // Nobody else holds this fake host, so the release unloads it.
    ASSERT_EQ(GetModuleHandleA(FAKE_HOST_COMPLETE), nullptr);
    EXPECT_EQ(MQInit(FAKE_HOST_COMPLETE), 1);
    EXPECT_EQ(GetModuleHandleA(FAKE_HOST_COMPLETE), nullptr);
}

}  // namespace
