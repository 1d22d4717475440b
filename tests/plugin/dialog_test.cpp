// The parameter dialog as a user meets it: ThickenDialogProc on template 100,
// driven by scripted actions through the POSIX dialog layer.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <ostream>
#include <cstring>
#include <string>

#include "plugin/resource_ids.h"
#include "plugin/thicken_dialog.h"
#include "plugin/thicken_settings.h"
#include "tests/plugin/dialog_observer.h"

namespace {

// Values no run of the dialog would store, to see whether it stored anything.
const ThickenSettingsRecord kSentinel{-123.25, false, true, false, ThicknessDirection::Back, true};

void ExpectSettings(const ThickenSettingsRecord& expected) {
    EXPECT_EQ(ThickenSettings.thickness, expected.thickness);
    EXPECT_EQ(ThickenSettings.makeFront, expected.makeFront);
    EXPECT_EQ(ThickenSettings.makeSide, expected.makeSide);
    EXPECT_EQ(ThickenSettings.makeBack, expected.makeBack);
    EXPECT_EQ(ThickenSettings.direction, expected.direction);
    EXPECT_EQ(ThickenSettings.evenThickness, expected.evenThickness);
}

// Snapshots of the modal loop's own messages from the end of WM_INITDIALOG on.
std::vector<DialogSnapshot> AfterInit(const DialogRun& run) {
    std::vector<DialogSnapshot> result;
    bool initialised = false;
    for (const DialogSnapshot& s : run.snapshots) {
        if (s.depth == 0 && s.message == WM_INITDIALOG) initialised = true;
        if (initialised && s.depth == 0) result.push_back(s);
    }
    return result;
}

void ExpectInitialState(const DialogSnapshot& s) {
    EXPECT_EQ(s.thickness, "5.0");
    EXPECT_TRUE(s.front && s.side && s.back);
    EXPECT_FALSE(s.directionFront);
    EXPECT_TRUE(s.directionCenter);
    EXPECT_FALSE(s.directionBack);
    EXPECT_FALSE(s.even);
}

class ThickenDialog : public ::testing::Test {
protected:
    void SetUp() override { ThickenSettings = kSentinel; }
};

}  // namespace

TEST(ThickenSettingsAtLoad, AllFieldsZero) {
    // Each test runs in a process of its own, so nothing has written it yet.
    const ThickenSettingsRecord zero{};
    EXPECT_EQ(std::memcmp(&ThickenSettings, &zero, sizeof zero), 0);
    EXPECT_EQ(ThickenSettings.thickness, 0.0);
    EXPECT_EQ(ThickenSettings.direction, ThicknessDirection::Front);
    EXPECT_EQ(static_cast<int>(ThicknessDirection::Front), 0);
    EXPECT_EQ(static_cast<int>(ThicknessDirection::Center), 1);
    EXPECT_EQ(static_cast<int>(ThicknessDirection::Back), 2);
}

TEST_F(ThickenDialog, EnterAtOnceConfirmsTheInitialValues) {
    const DialogRun run = RunThickenDialog({PressEnter()});
    EXPECT_EQ(run.result, 1);
    ExpectSettings({5.0, true, true, true, ThicknessDirection::Center, false});
    const std::vector<DialogSnapshot> seen = AfterInit(run);
    ASSERT_FALSE(seen.empty());
    ExpectInitialState(seen.front());
}

TEST_F(ThickenDialog, OpensInTheFixedStateEveryTime) {
    const DialogRun first =
        RunThickenDialog({TypeInto(IDC_THICKNESS, "7"), ClickOn(IDC_MAKE_SIDE),
                          ClickOn(IDC_DIRECTION_BACK), ClickOn(IDC_EVEN_THICKNESS), ClickOn(IDOK)});
    ASSERT_EQ(first.result, 1);
    ExpectSettings({7.0, true, false, true, ThicknessDirection::Back, true});

    const DialogRun second = RunThickenDialog({PressEscape()});
    EXPECT_EQ(second.result, 0);
    const std::vector<DialogSnapshot> seen = AfterInit(second);
    ASSERT_FALSE(seen.empty());
    ExpectInitialState(seen.front());
    // The dialog showed the defaults, the record keeps the last confirmed values.
    ExpectSettings({7.0, true, false, true, ThicknessDirection::Back, true});
}

struct TypedThickness {
    const char* text;
    double stored;
};

void PrintTo(const TypedThickness& t, std::ostream* out) { *out << '"' << t.text << '"'; }

class ThickenDialogText : public ::testing::TestWithParam<TypedThickness> {
protected:
    void SetUp() override { ThickenSettings = kSentinel; }
};

TEST_P(ThickenDialogText, OkStoresTheTextReadAsNumber) {
    const DialogRun run = RunThickenDialog({TypeInto(IDC_THICKNESS, GetParam().text), PressEnter()});
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(ThickenSettings.thickness, GetParam().stored) << GetParam().text;
    EXPECT_TRUE(ThickenSettings.makeFront && ThickenSettings.makeSide && ThickenSettings.makeBack);
    EXPECT_EQ(ThickenSettings.direction, ThicknessDirection::Center);
}

INSTANTIATE_TEST_SUITE_P(Texts, ThickenDialogText,
                         ::testing::Values(TypedThickness{"2.5mm", 2.5}, TypedThickness{"abc", 0.0},
                                           TypedThickness{"-1", -1.0}, TypedThickness{"2,5", 2.0},
                                           TypedThickness{"0", 0.0}, TypedThickness{"  .5", 0.5},
                                           TypedThickness{"1e1x", 10.0}),
                         [](const ::testing::TestParamInfo<TypedThickness>& info) {
                             std::string name = std::to_string(info.index) + "_";
                             for (const char* c = info.param.text; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

TEST_F(ThickenDialog, TextBeyond63CharactersIsCutBeforeConversion) {
    // 63 characters of 1e62, then a digit that would make it 1e63.
    const std::string text = "1" + std::string(62, '0') + "5";
    ASSERT_EQ(text.size(), 64u);
    const DialogRun run = RunThickenDialog({TypeInto(IDC_THICKNESS, text), PressEnter()});
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(ThickenSettings.thickness, 1e62);
}

TEST_F(ThickenDialog, EmptyBoxKeepsTheDialogOpenAndStoresNothing) {
    // If the first Enter had ended the dialog, the result would be 1.
    const DialogRun run = RunThickenDialog({TypeInto(IDC_THICKNESS, ""), PressEnter(), PressEnter(),
                                            ClickOn(IDC_DIRECTION_FRONT), PressEscape()});
    EXPECT_EQ(run.result, 0);
    ExpectSettings(kSentinel);
    const std::vector<DialogSnapshot> seen = AfterInit(run);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(seen.back().directionFront);  // the click after the Enters was still taken
}

TEST_F(ThickenDialog, EmptyBoxThenAValueConfirms) {
    const DialogRun run = RunThickenDialog(
        {TypeInto(IDC_THICKNESS, ""), ClickOn(IDOK), TypeInto(IDC_THICKNESS, "3.25"), ClickOn(IDOK)});
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(ThickenSettings.thickness, 3.25);
}

TEST_F(ThickenDialog, CancelEscapeAndTheCloseBoxEndWithZeroAndStoreNothing) {
    const std::vector<DialogAction> endings[] = {{ClickOn(IDCANCEL)}, {PressEscape()}, {UseCloseBox()}, {}};
    for (const std::vector<DialogAction>& ending : endings) {
        std::vector<DialogAction> script = {TypeInto(IDC_THICKNESS, "9"), ClickOn(IDC_MAKE_FRONT),
                                            ClickOn(IDC_DIRECTION_FRONT)};
        script.insert(script.end(), ending.begin(), ending.end());
        const DialogRun run = RunThickenDialog(script);
        EXPECT_EQ(run.result, 0) << "ending with " << ending.size() << " action(s)";
        ExpectSettings(kSentinel);
    }
}

TEST_F(ThickenDialog, AllGroupsOffStillConfirms) {
    const DialogRun run = RunThickenDialog(
        {ClickOn(IDC_MAKE_FRONT), ClickOn(IDC_MAKE_SIDE), ClickOn(IDC_MAKE_BACK), PressEnter()});
    EXPECT_EQ(run.result, 1);
    ExpectSettings({5.0, false, false, false, ThicknessDirection::Center, false});
}

TEST_F(ThickenDialog, CheckBoxesToggleOnEachClick) {
    const DialogRun run = RunThickenDialog(
        {ClickOn(IDC_MAKE_BACK), ClickOn(IDC_MAKE_BACK), ClickOn(IDC_MAKE_FRONT),
         ClickOn(IDC_EVEN_THICKNESS), ClickOn(IDC_EVEN_THICKNESS), ClickOn(IDC_EVEN_THICKNESS),
         PressEnter()});
    EXPECT_EQ(run.result, 1);
    ExpectSettings({5.0, false, true, true, ThicknessDirection::Center, true});
}

TEST_F(ThickenDialog, ExactlyOneDirectionIsCheckedAtEveryMoment) {
    const DialogRun run = RunThickenDialog(
        {ClickOn(IDC_DIRECTION_FRONT), ClickOn(IDC_DIRECTION_FRONT), ClickOn(IDC_DIRECTION_CENTER),
         ClickOn(IDC_DIRECTION_BACK), ClickOn(IDC_DIRECTION_BACK), ClickOn(IDC_DIRECTION_FRONT),
         PressEnter()});
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(ThickenSettings.direction, ThicknessDirection::Front);

    std::vector<int> chosen;  // the checked button after each click
    for (const DialogSnapshot& s : AfterInit(run)) {
        ASSERT_EQ(s.directionFront + s.directionCenter + s.directionBack, 1);
        chosen.push_back(s.directionFront ? 0 : s.directionCenter ? 1 : 2);
    }
    // Init, then one WM_COMMAND per click (the edit box sent nothing), then OK.
    const std::vector<int> expected = {1, 0, 0, 1, 2, 2, 0, 0};
    EXPECT_EQ(chosen, expected);
}

TEST_F(ThickenDialog, EachDirectionIsStored) {
    const struct {
        int button;
        ThicknessDirection direction;
    } cases[] = {{IDC_DIRECTION_FRONT, ThicknessDirection::Front},
                 {IDC_DIRECTION_CENTER, ThicknessDirection::Center},
                 {IDC_DIRECTION_BACK, ThicknessDirection::Back}};
    for (const auto& c : cases) {
        ThickenSettings = kSentinel;
        const DialogRun run = RunThickenDialog({ClickOn(c.button), PressEnter()});
        EXPECT_EQ(run.result, 1);
        EXPECT_EQ(ThickenSettings.direction, c.direction) << c.button;
    }
}

TEST_F(ThickenDialog, EditNotificationsAreIgnored) {
    // Typing makes the edit box send WM_COMMAND(1000, EN_CHANGE); the procedure
    // looks at the id only, and 1000 is not a command.
    const DialogRun run = RunThickenDialog({TypeInto(IDC_THICKNESS, "1"), TypeInto(IDC_THICKNESS, "2"),
                                            PressEnter()});
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(ThickenSettings.thickness, 2.0);
}

TEST(ThickenDialogProcedure, ReturnsTrueOnlyForInitDialog) {
    // Outside a dialog every call the procedure makes fails harmlessly.
    EXPECT_EQ(ThickenDialogProc(nullptr, WM_INITDIALOG, 0, 0), TRUE);
    EXPECT_EQ(ThickenDialogProc(nullptr, WM_COMMAND, MAKEWPARAM(IDC_DIRECTION_BACK, BN_CLICKED), 0), FALSE);
    EXPECT_EQ(ThickenDialogProc(nullptr, WM_COMMAND, IDCANCEL, 0), FALSE);
    EXPECT_EQ(ThickenDialogProc(nullptr, WM_CLOSE, 0, 0), FALSE);
    EXPECT_EQ(ThickenDialogProc(nullptr, WM_GETTEXT, 0, 0), FALSE);
}

TEST(ParseThickness, ReadsTheLongestDecimalPrefixLikeAtof) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"5.0", 5.0},      {"2.5mm", 2.5},   {"abc", 0.0},    {"-1", -1.0},       {"2,5", 2.0},
        {"", 0.0},         {" \t\n+3", 3.0}, {"-", 0.0},      {".", 0.0},         {"-.25", -0.25},
        {"7.", 7.0},       {"1e3", 1000.0},  {"1E-2x", 0.01}, {"2e", 2.0},        {"2e+", 2.0},
        {"3e-q", 3.0},     {"- 1", 0.0},     {"+-1", 0.0},    {"0.1", 0.1},       {"007", 7.0},
        {"1e400", HUGE_VAL}, {"-1e400", -HUGE_VAL}, {"1e-400", 0.0}, {"0.00001e-400", 0.0},
        {"0.01e310", 1e308},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseThickness(c.text), c.value) << '"' << c.text << '"';
}

TEST(ParseThickness, ReadsNoInfinityNanOrHexadecimal) {
    // Not decimal numbers: a thickness of infinity or NaN would ruin the mesh.
    EXPECT_EQ(ParseThickness("inf"), 0.0);
    EXPECT_EQ(ParseThickness("nan"), 0.0);
    EXPECT_EQ(ParseThickness("-infinity"), 0.0);
    EXPECT_EQ(ParseThickness("0x10"), 0.0);
}
