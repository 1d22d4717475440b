// The table generated from plugin/thicken.rc against windres's own reading of
// the script (decompiled by windres at build time): the POSIX dialog and the
// DLL carry the same template.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/module_resources.h"
#include "tests/plugin/dialog_observer.h"

namespace {

struct ViewControl {
    std::uint32_t id;
    std::string windowClass;  // as windres names it
    std::string caption;      // code page 932
    int x, y, cx, cy;
    std::uint32_t style;
};

struct View {
    std::string header;  // the line "100 DIALOGEX ..."
    std::string language;
    std::uint32_t style = 0;
    std::string caption, font;
    std::vector<ViewControl> controls;
};

std::string Utf16ToCp932(const std::u16string& text) {
    iconv_t cd = iconv_open("CP932", "UTF-16LE");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string in;
    for (char16_t c : text) {
        in += static_cast<char>(c & 0xFF);
        in += static_cast<char>(c >> 8);
    }
    std::string out(in.size() * 2 + 1, '\0');
    char* i = &in[0];
    char* o = &out[0];
    size_t inLeft = in.size(), outLeft = out.size();
    EXPECT_NE(iconv(cd, &i, &inLeft, &o, &outLeft), static_cast<size_t>(-1));
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

// One string field: "ascii" or L"\x539a\x307f" (UTF-16 code units).
std::string ReadString(const std::string& field) {
    const bool wide = field.rfind("L\"", 0) == 0;
    const std::string body = field.substr(wide ? 2 : 1, field.size() - (wide ? 3 : 2));
    std::u16string units;
    for (size_t k = 0; k < body.size(); ++k) {
        if (body[k] == '\\' && k + 1 < body.size() && body[k + 1] == 'x') {
            size_t end = k + 2;
            while (end < body.size() && end < k + 6 && std::isxdigit(static_cast<unsigned char>(body[end]))) ++end;
            units += static_cast<char16_t>(std::stoul(body.substr(k + 2, end - k - 2), nullptr, 16));
            k = end - 1;
        } else {
            units += static_cast<char16_t>(static_cast<unsigned char>(body[k]));
        }
    }
    return Utf16ToCp932(units);
}

// Splits "A, "b, c", 3" at the commas outside strings.
std::vector<std::string> Fields(const std::string& text) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted) {
            fields.emplace_back();
            continue;
        }
        if (!(fields.back().empty() && c == ' ')) fields.back() += c;
    }
    return fields;
}

std::uint32_t Number(const std::string& field) {
    return static_cast<std::uint32_t>(std::stoul(field, nullptr, 0));
}

View ReadView(const char* path) {
    std::ifstream in(path);
    EXPECT_TRUE(in) << path;
    View view;
    std::string line;
    bool controls = false;
    while (std::getline(in, line)) {
        const size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos) continue;
        line = line.substr(start);
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        std::string rest;
        std::getline(words, rest);
        if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
        if (keyword == "BEGIN") controls = true;
        else if (keyword == "END") controls = false;
        else if (keyword == "LANGUAGE") view.language = rest;
        else if (keyword == "STYLE") view.style = Number(rest);
        else if (keyword == "CAPTION") view.caption = ReadString(rest);
        else if (keyword == "FONT") view.font = rest;
        else if (line.find("DIALOG") != std::string::npos && !controls) view.header = line;
        else if (controls) {
            std::vector<std::string> f = Fields(rest);
            ViewControl c{};
            size_t at = 0;
            if (keyword == "EDITTEXT") {
                c.windowClass = "EDIT";
            } else {
                c.caption = ReadString(f[at++]);
            }
            c.id = Number(f[at++]);
            if (keyword == "CONTROL") {
                c.windowClass = f[at].substr(1, f[at].size() - 2);
                ++at;
                c.style = Number(f[at++]);
            }
            c.x = static_cast<int>(Number(f[at++]));
            c.y = static_cast<int>(Number(f[at++]));
            c.cx = static_cast<int>(Number(f[at++]));
            c.cy = static_cast<int>(Number(f[at++]));
            if (keyword != "CONTROL") c.style = Number(f[at++]);
            if (keyword == "DEFPUSHBUTTON" || keyword == "PUSHBUTTON" || keyword == "GROUPBOX")
                c.windowClass = "BUTTON";
            else if (keyword == "LTEXT" || keyword == "RTEXT" || keyword == "CTEXT")
                c.windowClass = "STATIC";
            view.controls.push_back(c);
        }
    }
    return view;
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

TEST(DialogTemplateAgainstWindres, SameWindowAndControls) {
    const View view = ReadView(WINDRES_VIEW);
    const DialogResource* dialog = FindDialogResource(TestProgramInstance(), 100);
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(view.header.substr(0, 14), "100 DIALOGEX M") << view.header;
    EXPECT_NE(view.header.find(" 0, 0, 139, 115"), std::string::npos) << view.header;
    EXPECT_EQ(view.language, "17, 1");  // LANG_JAPANESE, SUBLANG_DEFAULT
    EXPECT_EQ(view.style, dialog->style);
    EXPECT_EQ(view.caption, dialog->caption);
    EXPECT_EQ(view.font.rfind("8, \"Ms Shell Dlg 2\"", 0), 0u) << view.font;

    ASSERT_EQ(view.controls.size(), dialog->controlCount);
    for (size_t i = 0; i < dialog->controlCount; ++i) {
        const DialogControlResource& got = dialog->controls[i];
        const ViewControl& want = view.controls[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1));
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(Upper(got.windowClass), Upper(want.windowClass));
        EXPECT_EQ(std::string(got.caption), want.caption);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ(got.style, want.style);
    }
}
