// Template 100 as the table generated from plugin/thicken.rc holds it: the
// window, its font and the thirteen controls, in template (and tab) order.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/posix/module_resources.h"
#include "platform/win32.h"
#include "tests/plugin/dialog_observer.h"

namespace {

struct ExpectedControl {
    std::uint32_t id;
    const char* windowClass;
    const char* caption;  // code page 932
    int x, y, cx, cy;
    std::uint32_t style;
};

constexpr std::uint32_t kChild = WS_CHILD | WS_VISIBLE;

// The Part's table, written out by hand; the captions' bytes come from
// iconv -f UTF-8 -t CP932.
const ExpectedControl kExpectedControls[] = {
    {1, "Button", "OK", 5, 95, 50, 14, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
    {2, "Button", "Cancel", 80, 95, 50, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP},
    {65535, "Static", "\x8c\xfa\x82\xdd", 5, 7, 15, 10, kChild | SS_RIGHT | WS_GROUP},
    {1000, "Edit", "", 25, 5, 30, 12, kChild | ES_LEFT | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP},
    {65535, "Button", "\x90\xb6\x90\xac\x96\xca", 5, 20, 125, 25, kChild | BS_GROUPBOX},
    {1009, "Button", "\x95\x5c\x96\xca", 10, 30, 30, 10, kChild | BS_AUTOCHECKBOX | WS_TABSTOP},
    {1010, "Button", "\x95\x5c\x97\xa0\x90\xda\x91\xb1\x96\xca", 40, 30, 52, 10,
     kChild | BS_AUTOCHECKBOX | WS_TABSTOP},
    {1011, "Button", "\x97\xa0\x96\xca", 95, 30, 30, 10, kChild | BS_AUTOCHECKBOX | WS_TABSTOP},
    {65535, "Button", "\x90\xb6\x90\xac\x95\xfb\x8c\xfc", 5, 50, 125, 25, kChild | BS_GROUPBOX},
    {1012, "Button", "\x95\x5c\x95\xfb\x8c\xfc", 10, 60, 40, 10, kChild | BS_RADIOBUTTON},
    {1013, "Button", "\x92\x86\x89\x9b", 55, 60, 30, 10, kChild | BS_RADIOBUTTON},
    {1014, "Button", "\x97\xa0\x95\xfb\x8c\xfc", 90, 60, 35, 10, kChild | BS_RADIOBUTTON},
    {1015, "Button", "\x8c\xfa\x82\xdd\x82\xf0\x8b\xcf\x88\xea\x82\xc9\x82\xb7\x82\xe9", 5, 80,
     125, 10, kChild | BS_AUTOCHECKBOX | WS_TABSTOP},
};

const DialogResource* Template100() { return FindDialogResource(TestProgramInstance(), 100); }

}  // namespace

TEST(DialogTemplate, WindowCaptionFontAndStyles) {
    const DialogResource* dialog = Template100();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->language, 0x0411);  // Japanese (Japan)
    EXPECT_STREQ(dialog->caption, "\x8c\xfa\x82\xdd\x82\xf0\x82\xc2\x82\xaf\x82\xdc\x82\xb7\x81\x42");
    EXPECT_STREQ(dialog->fontName, "Ms Shell Dlg 2");
    EXPECT_EQ(dialog->fontPointSize, 8);
    EXPECT_EQ(dialog->x, 0);
    EXPECT_EQ(dialog->y, 0);
    EXPECT_EQ(dialog->cx, 139);
    EXPECT_EQ(dialog->cy, 115);
    EXPECT_EQ(dialog->style, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME |
                                 DS_CENTER | DS_3DLOOK | DS_SETFONT | DS_FIXEDSYS);
    EXPECT_EQ(dialog->exStyle, 0u);
}

TEST(DialogTemplate, ThirteenControlsInTemplateOrder) {
    const DialogResource* dialog = Template100();
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(dialog->controlCount, std::size(kExpectedControls));
    for (size_t i = 0; i < dialog->controlCount; ++i) {
        const DialogControlResource& got = dialog->controls[i];
        const ExpectedControl& want = kExpectedControls[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1));
        EXPECT_EQ(got.id, want.id);
        EXPECT_STREQ(got.windowClass, want.windowClass);
        EXPECT_STREQ(got.caption, want.caption);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ(got.style, want.style);
        EXPECT_EQ(got.exStyle, 0u);
    }
}

TEST(DialogTemplate, TabOrderStartsAtOkAndSkipsTheRadioButtons) {
    const DialogResource* dialog = Template100();
    ASSERT_NE(dialog, nullptr);
    std::vector<std::uint32_t> tabStops;
    for (size_t i = 0; i < dialog->controlCount; ++i) {
        if (dialog->controls[i].style & WS_TABSTOP) tabStops.push_back(dialog->controls[i].id);
    }
    const std::vector<std::uint32_t> expected = {1, 2, 1000, 1009, 1010, 1011, 1015};
    EXPECT_EQ(tabStops, expected);
}

TEST(DialogTemplate, RegisteredOnlyUnderItsOwnModule) {
    EXPECT_NE(Template100(), nullptr);
    EXPECT_EQ(FindDialogResource(TestProgramInstance(), 101), nullptr);
    EXPECT_EQ(FindDialogResource(nullptr, 100), nullptr);
}
