// The generator of the dialog table on small scripts of its own: the
// resource compiler's defaults and NOT, the texts, and a refusal (exit 1,
// message on stderr) of everything it would otherwise silently leave out.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Outcome {
    int status;          // exit status of rc_table
    std::string output;  // the generated source, when it succeeded
    std::string errors;  // its stderr
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

Outcome Generate(const std::string& script, const std::string& ids = "") {
    const std::string dir = ::testing::TempDir() + "rc_table_" + std::to_string(getpid());
    EXPECT_EQ(std::system(("mkdir -p '" + dir + "'").c_str()), 0);
    std::ofstream(dir + "/ids.h") << ids;
    std::ofstream(dir + "/test.rc") << script;
    std::remove((dir + "/out.cpp").c_str());
    const std::string command = std::string("'") + RC_TABLE + "' '" + dir + "/test.rc' '" + dir +
                                "/out.cpp' 2>'" + dir + "/errors.txt'";
    const int raw = std::system(command.c_str());
    return Outcome{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadAll(dir + "/out.cpp"),
                   ReadAll(dir + "/errors.txt")};
}

std::string Dialog(const std::string& controls, const std::string& options = "") {
    return "#pragma code_page(65001)\n#include <windows.h>\n#include \"ids.h\"\n"
           "LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT\n"
           "7 DIALOGEX 1, 2, 30, 40\n" +
           options + "BEGIN\n" + controls + "END\n";
}

}  // namespace

TEST(RcTable, StatementDefaultsAndNot) {
    const Outcome out = Generate(Dialog(
        "  PUSHBUTTON \"A\", 5, 1, 2, 3, 4, NOT WS_TABSTOP\n"
        "  LTEXT \"B\", IDC_LABEL, 1, 2, 3, 4\n"
        "  EDITTEXT 9, 1, 2, 3, 4, ES_AUTOHSCROLL | NOT WS_BORDER, WS_EX_CLIENTEDGE\n"
        "  CONTROL \"C\", 10, \"button\", BS_AUTORADIOBUTTON | NOT WS_VISIBLE, 1, 2, 3, 4\n",
        "STYLE WS_POPUP\nCAPTION \"T\"\n"),
        "#define IDC_LABEL (-1) // a label\n");
    ASSERT_EQ(out.status, 0) << out.errors;
    EXPECT_NE(out.output.find("{5u, \"Button\", \"A\", 1, 2, 3, 4, 0x50000000u, 0x00000000u}"), std::string::npos) << out.output;
    EXPECT_NE(out.output.find("{4294967295u, \"Static\", \"B\", 1, 2, 3, 4, 0x50020000u, 0x00000000u}"), std::string::npos) << out.output;
    EXPECT_NE(out.output.find("{9u, \"Edit\", \"\", 1, 2, 3, 4, 0x50010080u, 0x00000200u}"), std::string::npos) << out.output;
    EXPECT_NE(out.output.find("{10u, \"Button\", \"C\", 1, 2, 3, 4, 0x40000009u, 0x00000000u}"), std::string::npos) << out.output;
    // CAPTION adds WS_CAPTION to the given style; no FONT, no DS_SETFONT.
    EXPECT_NE(out.output.find("{7u, 0x0411, \"T\", \"\", 0, 1, 2, 30, 40, 0x80C00000u, 0x00000000u, kControls7, 4}"), std::string::npos) << out.output;
}

TEST(RcTable, TextsBecomeCodePage932Literals) {
    const Outcome out = Generate(Dialog("  LTEXT \"表\"\"\\\\?\", 1, 0, 0, 1, 1\n",
                                        "CAPTION \"厚み\"\nFONT 9, \"Ms Shell Dlg 2\", 400, 0, 0x1\n"));
    ASSERT_EQ(out.status, 0) << out.errors;
    // 表 is 0x95 0x5C: its second byte is a backslash and must be escaped.
    EXPECT_NE(out.output.find("\"\\225\\\\\\\"\\\\\\077\""), std::string::npos) << out.output;
    EXPECT_NE(out.output.find("\"\\214\\372\\202\\335\", \"Ms Shell Dlg 2\", 9,"), std::string::npos) << out.output;
}

TEST(RcTable, RefusesWhatItCannotCarry) {
    const struct {
        const char* what;
        std::string script;
    } cases[] = {
        {"no code page", "7 DIALOGEX 0, 0, 1, 1\nBEGIN\nEND\n"},
        {"another code page", "#pragma code_page(932)\n7 DIALOGEX 0, 0, 1, 1\nBEGIN\nEND\n"},
        {"another resource", "#pragma code_page(65001)\n1 ICON \"a.ico\"\n"},
        {"unknown control", Dialog("  COMBOBOX 1, 0, 0, 1, 1\n")},
        {"unknown name", Dialog("  LTEXT \"a\", IDC_NOWHERE, 0, 0, 1, 1\n")},
        {"unknown class", Dialog("  CONTROL \"a\", 1, \"SysListView32\", 0, 0, 0, 1, 1\n")},
        {"menu", Dialog("", "MENU 5\n")},
        {"conditional", "#pragma code_page(65001)\n#ifdef X\n#endif\n"},
        {"unterminated string", Dialog("  LTEXT \"a, 1, 0, 0, 1, 1\n")},
        {"missing comma", Dialog("  LTEXT \"a\" 1, 0, 0, 1, 1\n")},
        {"no dialog", "#pragma code_page(65001)\n"},
        {"text without code page 932 form", Dialog("  LTEXT \"\xF0\x9F\x98\x80\", 1, 0, 0, 1, 1\n")},
    };
    for (const auto& c : cases) {
        const Outcome out = Generate(c.script);
        EXPECT_EQ(out.status, 1) << c.what;
        EXPECT_NE(out.errors.find("rc_table: "), std::string::npos) << c.what << ": " << out.errors;
        EXPECT_TRUE(out.output.empty()) << c.what;
    }
}
