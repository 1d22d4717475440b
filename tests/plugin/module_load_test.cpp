// thicken.so loaded the way the host loads it: LoadLibraryA, the entry
// points by name, MQInit with the host program's own file name, and the
// command on a document through MQModifySelect.
#include <limits.h>

#include <gtest/gtest.h>

#include "host/document.h"
#include "platform/dialog_automation.h"
#include "plugin/exports.h"
#include "tests/plugin/shell_check.h"

namespace {

template <class Function>
Function Entry(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
}

TEST(ModuleLoad, HostLoadsBindsAndRunsTheModule) {
    HMODULE module = LoadLibraryA(THICKEN_NATIVE_MODULE);
    ASSERT_NE(module, nullptr) << THICKEN_NATIVE_MODULE;

    auto checkVersion = Entry<MQCheckVersion_Export>(module, "MQCheckVersion");
    auto getId = Entry<MQGetPlugInID_Export>(module, "MQGetPlugInID");
    auto getName = Entry<MQGetPlugInName_Export>(module, "MQGetPlugInName");
    auto getType = Entry<MQGetPlugInType_Export>(module, "MQGetPlugInType");
    auto enumString = Entry<MQEnumString_Export>(module, "MQEnumString");
    auto init = Entry<MQInit_Export>(module, "MQInit");
    auto modifySelect = Entry<MQModifySelect_Export>(module, "MQModifySelect");
    ASSERT_TRUE(checkVersion && getId && getName && getType && enumString && init && modifySelect);
    EXPECT_EQ(GetProcAddress(module, "RunThickenCommand"), nullptr);
    EXPECT_EQ(GetProcAddress(module, "HostApi"), nullptr);

    EXPECT_EQ(checkVersion(0x2490), 0x0249u);
    uint32_t product = 0, id = 0;
    getId(&product, &id);
    EXPECT_EQ(product, 0x005A554Du);
    EXPECT_EQ(id, 0x5A554D01u);
    EXPECT_EQ(getType(), 5);
    EXPECT_STREQ(enumString(0), "\x8c\xfa\x82\xdd\x82\xf0\x82\xc2\x82\xaf\x82\xdc\x82\xb7\x81\x42");
    EXPECT_EQ(std::string(getName(), 16), enumString(0));

    char program[PATH_MAX];
    ASSERT_GT(GetModuleFileNameA(nullptr, program, sizeof program), 0u);
    ASSERT_EQ(init(program), 1);

    MQDocumentRec document;
    auto* quad = new MQObjectRec();
    for (MQPoint p : {MQPoint{0, 0, 0}, MQPoint{1, 0, 0}, MQPoint{1, 1, 0}, MQPoint{0, 1, 0}})
        quad->AddVertex(p);
    const int points[] = {0, 1, 2, 3};
    quad->AddFace(4, points);
    document.AddObject(quad);
    document.SelectFace(0, 0, true);

    // Enter confirms the dialog as it opens: thickness 5, centred.
    SetNextDialogScript({{DialogAction::Enter, 0, ""}});
    EXPECT_EQ(modifySelect(0, &document), 1);
    ASSERT_EQ(document.ObjectCount(), 2);
    const MQObjectRec& box = *document.Object(1);
    EXPECT_EQ(LiveFaces(box).size(), 6u);
    EXPECT_TRUE(IsClosedAndConsistentlyOriented(box));
    EXPECT_NEAR(SignedVolume(box), 5.0, 1e-4);

    SetNextDialogScript({{DialogAction::Click, IDCANCEL, ""}});
    EXPECT_EQ(modifySelect(0, &document), 0);
    EXPECT_EQ(document.ObjectCount(), 2);
    EXPECT_EQ(modifySelect(1, &document), 0);

    EXPECT_TRUE(FreeLibrary(module));
}

}  // namespace
