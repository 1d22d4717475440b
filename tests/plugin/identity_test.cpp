// What the module tells the host about itself, and a command that refuses to
// run before the host was bound.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plugin/exports.h"

namespace {

// "厚みをつけます。" in code page 932.
const char kMenuLabelBytes[] =
    "\x8c\xfa\x82\xdd\x82\xf0\x82\xc2\x82\xaf\x82\xdc\x82\xb7\x81\x42";

// Runs first: no MQInit has happened in this process yet, so HostApi is
// empty and a command that called anything would crash.
TEST(Identity, CommandBeforeBindingReturnsZeroAndCallsNothing) {
    static int sentinel;
    EXPECT_EQ(MQModifySelect(0, reinterpret_cast<MQDocument>(&sentinel)), 0);
}

TEST(Identity, VersionCheckAcceptsFrom0x2490) {
    EXPECT_EQ(MQCheckVersion(0), 0u);
    EXPECT_EQ(MQCheckVersion(0x248F), 0u);
    EXPECT_EQ(MQCheckVersion(0x2490), 0x0249u);
    EXPECT_EQ(MQCheckVersion(0x2491), 0x0249u);
    EXPECT_EQ(MQCheckVersion(0xFFFFFFFFu), 0x0249u) << "the comparison is unsigned";
}

TEST(Identity, IdsTypeAndMenu) {
    uint32_t product = 0;
    uint32_t id = 0;
    MQGetPlugInID(&product, &id);
    EXPECT_EQ(product, 0x005A554Du);
    EXPECT_EQ(id, 0x5A554D01u);
    id = 0;
    MQGetPlugInID(nullptr, &id);
    EXPECT_EQ(id, 0x5A554D01u);
    EXPECT_EQ(MQGetPlugInType(), 5);

    const char* label = MQEnumString(0);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(std::string(label), std::string(kMenuLabelBytes));
    EXPECT_EQ(std::strlen(label), 16u);
    EXPECT_EQ(MQEnumString(1), nullptr);
    EXPECT_EQ(MQEnumString(-1), nullptr);
    EXPECT_EQ(MQEnumString(0), label);
}

TEST(Identity, NameStringIsOneConstantBeginningWithTheLabelAndFiveSpaces) {
    const char* name = MQGetPlugInName();
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(MQGetPlugInName(), name);
    ASSERT_GT(std::strlen(name), 21u) << "a credit follows the spaces";
    EXPECT_EQ(std::string(name, 21), std::string(kMenuLabelBytes) + "     ");
    EXPECT_NE(name[21], ' ');
}

}  // namespace
