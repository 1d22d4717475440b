// rc_table: turns the dialog templates of a resource script into a C++ table
// for the POSIX dialog layer, so that the emulated dialog is built from the
// very script that windres compiles into the DLL.
//
//   rc_table SCRIPT.rc OUTPUT.cpp
//
// It reads what a dialog script holds: `#pragma code_page(65001)` (the only
// code page it accepts), `#include "file"` of #define lines, `#define`,
// `LANGUAGE`, and DIALOG/DIALOGEX templates with STYLE, EXSTYLE, CAPTION, FONT
// and the controls CONTROL, DEFPUSHBUTTON, PUSHBUTTON, LTEXT, RTEXT, CTEXT,
// EDITTEXT and GROUPBOX. Anything else is an error, so that nothing in the
// script is silently left out. Texts are stored in code page 932, as the
// ANSI calls of the dialog return them. Exit status 0 on success, 1 with a
// message on stderr otherwise.
#include <iconv.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The Win32 names a dialog script uses, with their values.
const std::map<std::string, std::int64_t>& SystemNames() {
    static const std::map<std::string, std::int64_t> names = {
        {"IDOK", 1}, {"IDCANCEL", 2}, {"IDABORT", 3}, {"IDRETRY", 4}, {"IDIGNORE", 5},
        {"IDYES", 6}, {"IDNO", 7},
        {"WS_OVERLAPPED", 0}, {"WS_POPUP", 0x80000000}, {"WS_CHILD", 0x40000000},
        {"WS_MINIMIZE", 0x20000000}, {"WS_VISIBLE", 0x10000000}, {"WS_DISABLED", 0x08000000},
        {"WS_CLIPSIBLINGS", 0x04000000}, {"WS_CLIPCHILDREN", 0x02000000},
        {"WS_MAXIMIZE", 0x01000000}, {"WS_CAPTION", 0x00C00000}, {"WS_BORDER", 0x00800000},
        {"WS_DLGFRAME", 0x00400000}, {"WS_VSCROLL", 0x00200000}, {"WS_HSCROLL", 0x00100000},
        {"WS_SYSMENU", 0x00080000}, {"WS_THICKFRAME", 0x00040000}, {"WS_GROUP", 0x00020000},
        {"WS_TABSTOP", 0x00010000}, {"WS_MINIMIZEBOX", 0x00020000},
        {"WS_MAXIMIZEBOX", 0x00010000},
        {"WS_EX_DLGMODALFRAME", 0x1}, {"WS_EX_TOPMOST", 0x8}, {"WS_EX_TRANSPARENT", 0x20},
        {"WS_EX_TOOLWINDOW", 0x80}, {"WS_EX_WINDOWEDGE", 0x100}, {"WS_EX_CLIENTEDGE", 0x200},
        {"WS_EX_CONTEXTHELP", 0x400}, {"WS_EX_STATICEDGE", 0x20000},
        {"DS_ABSALIGN", 0x1}, {"DS_SYSMODAL", 0x2}, {"DS_3DLOOK", 0x4}, {"DS_FIXEDSYS", 0x8},
        {"DS_NOFAILCREATE", 0x10}, {"DS_LOCALEDIT", 0x20}, {"DS_SETFONT", 0x40},
        {"DS_MODALFRAME", 0x80}, {"DS_NOIDLEMSG", 0x100}, {"DS_SETFOREGROUND", 0x200},
        {"DS_CONTROL", 0x400}, {"DS_CENTER", 0x800}, {"DS_CENTERMOUSE", 0x1000},
        {"DS_CONTEXTHELP", 0x2000}, {"DS_SHELLFONT", 0x48},
        {"BS_PUSHBUTTON", 0x0}, {"BS_DEFPUSHBUTTON", 0x1}, {"BS_CHECKBOX", 0x2},
        {"BS_AUTOCHECKBOX", 0x3}, {"BS_RADIOBUTTON", 0x4}, {"BS_3STATE", 0x5},
        {"BS_AUTO3STATE", 0x6}, {"BS_GROUPBOX", 0x7}, {"BS_AUTORADIOBUTTON", 0x9},
        {"BS_LEFTTEXT", 0x20}, {"BS_LEFT", 0x100}, {"BS_RIGHT", 0x200}, {"BS_CENTER", 0x300},
        {"BS_TOP", 0x400}, {"BS_BOTTOM", 0x800}, {"BS_VCENTER", 0xC00}, {"BS_MULTILINE", 0x2000},
        {"BS_NOTIFY", 0x4000}, {"BS_FLAT", 0x8000},
        {"SS_LEFT", 0x0}, {"SS_CENTER", 0x1}, {"SS_RIGHT", 0x2}, {"SS_NOPREFIX", 0x80},
        {"SS_NOTIFY", 0x100}, {"SS_CENTERIMAGE", 0x200}, {"SS_SUNKEN", 0x1000},
        {"ES_LEFT", 0x0}, {"ES_CENTER", 0x1}, {"ES_RIGHT", 0x2}, {"ES_MULTILINE", 0x4},
        {"ES_UPPERCASE", 0x8}, {"ES_LOWERCASE", 0x10}, {"ES_PASSWORD", 0x20},
        {"ES_AUTOVSCROLL", 0x40}, {"ES_AUTOHSCROLL", 0x80}, {"ES_NOHIDESEL", 0x100},
        {"ES_READONLY", 0x800}, {"ES_WANTRETURN", 0x1000}, {"ES_NUMBER", 0x2000},
        {"LANG_NEUTRAL", 0x00}, {"LANG_ENGLISH", 0x09}, {"LANG_JAPANESE", 0x11},
        {"SUBLANG_NEUTRAL", 0x00}, {"SUBLANG_DEFAULT", 0x01}, {"SUBLANG_SYS_DEFAULT", 0x02},
        {"SUBLANG_JAPANESE_JAPAN", 0x01}, {"SUBLANG_ENGLISH_US", 0x01},
    };
    return names;
}

struct Token {
    enum Kind { Name, Number, String, Punct, End } kind;
    std::string text;    // name, punctuation, or the string's UTF-8 bytes
    std::int64_t value;  // number
    int line;
};

struct Control {
    std::uint32_t id;
    std::string windowClass, caption;  // caption in UTF-8
    std::int64_t x, y, cx, cy;
    std::uint32_t style, exStyle;
};

struct Dialog {
    std::uint32_t id;
    std::uint16_t language;
    std::string caption, fontName;  // UTF-8
    std::uint16_t fontPointSize = 0;
    std::int64_t x, y, cx, cy;
    std::uint32_t style, exStyle = 0;
    std::vector<Control> controls;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

class Script {
public:
    explicit Script(std::string path) : path_(std::move(path)) {}

    std::vector<Dialog> Parse() {
        Tokenize(ReadFile(path_));
        std::vector<Dialog> dialogs;
        std::uint16_t language = 0;
        while (Peek().kind != Token::End) {
            const Token head = Next();
            if (head.kind == Token::Name && head.text == "LANGUAGE") {
                const std::int64_t primary = Number();
                Expect(",");
                const std::int64_t sub = Number();
                language = static_cast<std::uint16_t>((sub << 10) | primary);
                continue;
            }
            const std::int64_t id = Value(head);
            const Token kind = Next();
            if (kind.kind != Token::Name || (kind.text != "DIALOG" && kind.text != "DIALOGEX"))
                Fail(kind, "only DIALOG and DIALOGEX resources are supported");
            dialogs.push_back(ParseDialog(static_cast<std::uint32_t>(id), language));
        }
        if (!codePageSeen_) throw Error(path_ + ": #pragma code_page(65001) is missing");
        return dialogs;
    }

private:
    [[noreturn]] void Fail(const Token& at, const std::string& what) const {
        throw Error(path_ + ":" + std::to_string(at.line) + ": " + what +
                    (at.text.empty() ? "" : " (at \"" + at.text + "\")"));
    }

    void ReadDefines(const std::string& file) {
        std::istringstream in(ReadFile(file));
        std::string line;
        while (std::getline(in, line)) {
            line = Trim(line);
            if (line.rfind("#define", 0) == 0) Define(line.substr(7), file);
        }
    }

    // `NAME value`: the value is a plain, possibly parenthesised or negative,
    // integer, or a name defined before.
    void Define(const std::string& rest, const std::string& where) {
        std::istringstream in(rest);
        std::string name, value;
        in >> name;
        std::getline(in, value);
        value = Trim(value);
        const size_t comment = value.find("//");
        if (comment != std::string::npos) value = Trim(value.substr(0, comment));
        while (value.size() >= 2 && value.front() == '(' && value.back() == ')')
            value = Trim(value.substr(1, value.size() - 2));
        if (name.empty() || value.empty()) return;
        if (defines_.count(value)) {
            defines_[name] = defines_[value];
            return;
        }
        try {
            size_t used = 0;
            const std::int64_t number = std::stoll(value, &used, 0);
            if (used == value.size()) {
                defines_[name] = number;
                return;
            }
        } catch (const std::exception&) {
        }
        throw Error(where + ": #define " + name + " is not a plain integer");
    }

    void Directive(const std::string& line, int lineNumber) {
        const std::string text = Trim(line.substr(1));
        if (text.rfind("pragma", 0) == 0) {
            const std::string pragma = Trim(text.substr(6));
            if (pragma == "once") return;
            if (pragma.rfind("code_page", 0) == 0) {
                if (pragma.find("65001") == std::string::npos)
                    throw Error(path_ + ":" + std::to_string(lineNumber) +
                                ": only #pragma code_page(65001) (UTF-8) is supported");
                codePageSeen_ = true;
                return;
            }
        } else if (text.rfind("include", 0) == 0) {
            const std::string file = Trim(text.substr(7));
            if (file.size() > 2 && file.front() == '<') return;  // system names are known
            if (file.size() > 2 && file.front() == '"' && file.back() == '"') {
                ReadDefines(DirectoryOf(path_) + "/" + file.substr(1, file.size() - 2));
                return;
            }
        } else if (text.rfind("define", 0) == 0) {
            Define(text.substr(6), path_);
            return;
        }
        throw Error(path_ + ":" + std::to_string(lineNumber) + ": unsupported directive #" + text);
    }

    void Tokenize(const std::string& text) {
        int line = 1;
        bool lineStart = true;
        for (size_t i = 0; i < text.size();) {
            const char c = text[i];
            if (c == '\n') {
                ++line;
                lineStart = true;
                ++i;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++i;
            } else if (c == '#' && lineStart) {
                const size_t end = text.find('\n', i);
                Directive(text.substr(i, end == std::string::npos ? std::string::npos : end - i), line);
                i = end == std::string::npos ? text.size() : end;
            } else if (text.compare(i, 2, "//") == 0) {
                const size_t end = text.find('\n', i);
                i = end == std::string::npos ? text.size() : end;
            } else if (text.compare(i, 2, "/*") == 0) {
                const size_t end = text.find("*/", i + 2);
                if (end == std::string::npos) throw Error(path_ + ": unterminated comment");
                for (size_t k = i; k < end; ++k) line += text[k] == '\n';
                i = end + 2;
            } else if (c == '"') {
                lineStart = false;
                std::string s;
                ++i;
                for (;; ++i) {
                    if (i >= text.size() || text[i] == '\n')
                        throw Error(path_ + ":" + std::to_string(line) + ": unterminated string");
                    if (text[i] == '"') {
                        if (i + 1 < text.size() && text[i + 1] == '"') {
                            s += '"';
                            ++i;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (text[i] == '\\' && i + 1 < text.size()) {
                        const char e = text[++i];
                        s += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                        continue;
                    }
                    s += text[i];
                }
                tokens_.push_back({Token::String, s, 0, line});
            } else if (std::isdigit(static_cast<unsigned char>(c))) {
                lineStart = false;
                size_t used = 0;
                const std::int64_t value = std::stoll(text.substr(i, 24), &used, 0);
                i += used;
                if (i < text.size() && (text[i] == 'L' || text[i] == 'l')) ++i;
                tokens_.push_back({Token::Number, std::to_string(value), value, line});
            } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
                lineStart = false;
                size_t end = i;
                while (end < text.size() &&
                       (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_'))
                    ++end;
                tokens_.push_back({Token::Name, text.substr(i, end - i), 0, line});
                i = end;
            } else if (c == ',' || c == '|' || c == '(' || c == ')' || c == '-' || c == '{' ||
                       c == '}') {
                lineStart = false;
                tokens_.push_back({Token::Punct, std::string(1, c), 0, line});
                ++i;
            } else {
                throw Error(path_ + ":" + std::to_string(line) + ": unexpected character '" +
                            std::string(1, c) + "'");
            }
        }
        tokens_.push_back({Token::End, "", 0, line});
    }

    const Token& Peek() const { return tokens_[at_]; }
    Token Next() { return tokens_[at_ < tokens_.size() - 1 ? at_++ : at_]; }
    bool IsPunct(const char* p) const { return Peek().kind == Token::Punct && Peek().text == p; }
    bool IsName(const char* n) const { return Peek().kind == Token::Name && Peek().text == n; }

    void Expect(const char* p) {
        if (!IsPunct(p)) Fail(Peek(), std::string("expected '") + p + "'");
        Next();
    }

    std::int64_t Value(const Token& t) {
        if (t.kind == Token::Number) return t.value;
        if (t.kind == Token::Name) {
            auto own = defines_.find(t.text);
            if (own != defines_.end()) return own->second;
            auto system = SystemNames().find(t.text);
            if (system != SystemNames().end()) return system->second;
            Fail(t, "unknown name");
        }
        Fail(t, "expected a number or a name");
    }

    // primary: number | name | - primary | ( expression )
    std::int64_t Primary() {
        if (IsPunct("-")) {
            Next();
            return -Primary();
        }
        if (IsPunct("(")) {
            Next();
            const std::int64_t v = Expression(0);
            Expect(")");
            return v;
        }
        return Value(Next());
    }

    // terms joined by '|'; "NOT term" clears the term's bits from what the
    // statement would otherwise set, as the resource compiler does.
    std::int64_t Expression(std::int64_t defaults) {
        std::int64_t value = defaults;
        for (;;) {
            if (IsName("NOT")) {
                Next();
                value &= ~Primary();
            } else {
                value |= Primary();
            }
            if (!IsPunct("|")) return value;
            Next();
        }
    }

    std::int64_t Number() { return Primary(); }

    std::string String() {
        const Token t = Next();
        if (t.kind != Token::String) Fail(t, "expected a string");
        return t.text;
    }

    bool OptionalComma() {
        if (!IsPunct(",")) return false;
        Next();
        return true;
    }

    void Rect(std::int64_t* x, std::int64_t* y, std::int64_t* cx, std::int64_t* cy) {
        *x = Number();
        Expect(",");
        *y = Number();
        Expect(",");
        *cx = Number();
        Expect(",");
        *cy = Number();
    }

    Dialog ParseDialog(std::uint32_t id, std::uint16_t language) {
        Dialog dialog;
        dialog.id = id;
        dialog.language = language;
        Rect(&dialog.x, &dialog.y, &dialog.cx, &dialog.cy);
        bool styleGiven = false, captionGiven = false, fontGiven = false;
        std::int64_t style = 0;
        while (!IsName("BEGIN") && !IsPunct("{")) {
            const Token option = Next();
            if (option.kind != Token::Name) Fail(option, "expected a dialog option");
            if (option.text == "STYLE") {
                style = Expression(0);
                styleGiven = true;
            } else if (option.text == "EXSTYLE") {
                dialog.exStyle = static_cast<std::uint32_t>(Expression(0));
            } else if (option.text == "CAPTION") {
                dialog.caption = String();
                captionGiven = true;
            } else if (option.text == "FONT") {
                dialog.fontPointSize = static_cast<std::uint16_t>(Number());
                Expect(",");
                dialog.fontName = String();
                // Weight, italic and character set are not kept.
                while (OptionalComma()) Number();
                fontGiven = true;
            } else {
                Fail(option, "unsupported dialog option");
            }
        }
        // Without STYLE the compiler's default frame; CAPTION and FONT imply
        // their styles.
        if (!styleGiven) style = 0x80000000 | 0x00800000 | 0x00080000;
        if (captionGiven) style |= 0x00C00000;
        if (fontGiven) style |= 0x40;
        dialog.style = static_cast<std::uint32_t>(style);
        Next();  // BEGIN
        while (!IsName("END") && !IsPunct("}")) dialog.controls.push_back(ParseControl());
        Next();  // END
        return dialog;
    }

    Control ParseControl() {
        struct Statement {
            const char* windowClass;
            std::int64_t style;
            bool hasText;
        };
        static const std::map<std::string, Statement> statements = {
            {"DEFPUSHBUTTON", {"Button", 0x1 | 0x00010000, true}},
            {"PUSHBUTTON", {"Button", 0x0 | 0x00010000, true}},
            {"GROUPBOX", {"Button", 0x7, true}},
            {"LTEXT", {"Static", 0x0 | 0x00020000, true}},
            {"CTEXT", {"Static", 0x1 | 0x00020000, true}},
            {"RTEXT", {"Static", 0x2 | 0x00020000, true}},
            {"EDITTEXT", {"Edit", 0x0 | 0x00800000 | 0x00010000, false}},
        };
        const std::int64_t childVisible = 0x40000000 | 0x10000000;
        const Token head = Next();
        Control control;
        if (head.kind == Token::Name && head.text == "CONTROL") {
            control.caption = String();
            Expect(",");
            control.id = static_cast<std::uint32_t>(Number());
            Expect(",");
            control.windowClass = CanonicalClass(String());
            Expect(",");
            control.style = static_cast<std::uint32_t>(Expression(childVisible));
            Expect(",");
            Rect(&control.x, &control.y, &control.cx, &control.cy);
            control.exStyle = OptionalComma() ? static_cast<std::uint32_t>(Expression(0)) : 0;
            return control;
        }
        auto it = head.kind == Token::Name ? statements.find(head.text) : statements.end();
        if (it == statements.end()) Fail(head, "unsupported control statement");
        const Statement& statement = it->second;
        control.windowClass = statement.windowClass;
        if (statement.hasText) {
            control.caption = String();
            Expect(",");
        }
        control.id = static_cast<std::uint32_t>(Number());
        Expect(",");
        Rect(&control.x, &control.y, &control.cx, &control.cy);
        const std::int64_t defaults = childVisible | statement.style;
        control.style = static_cast<std::uint32_t>(OptionalComma() ? Expression(defaults) : defaults);
        control.exStyle = OptionalComma() ? static_cast<std::uint32_t>(Expression(0)) : 0;
        return control;
    }

    std::string CanonicalClass(const std::string& name) {
        std::string lower;
        for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower == "button") return "Button";
        if (lower == "edit") return "Edit";
        if (lower == "static") return "Static";
        Fail(tokens_[at_ - 1], "unsupported control class");
    }

    std::string path_;
    std::vector<Token> tokens_;
    size_t at_ = 0;
    std::map<std::string, std::int64_t> defines_;
    bool codePageSeen_ = false;
};

std::string Utf8ToCp932(const std::string& text) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw Error("iconv cannot convert UTF-8 to CP932");
    std::string out(text.size() * 2 + 1, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* o = &out[0];
    size_t outLeft = out.size();
    const size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1) || inLeft != 0)
        throw Error("text \"" + text + "\" has no code page 932 form");
    out.resize(out.size() - outLeft);
    return out;
}

// A C++ literal of the bytes: octal escapes for everything but plain ASCII.
std::string Literal(const std::string& bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F && c != '?') {
            out += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\%03o", c);
            out += escape;
        }
    }
    return out + "\"";
}

std::string Hex(std::uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08Xu", v);
    return text;
}

std::string Emit(const std::vector<Dialog>& dialogs, const std::string& source) {
    std::ostringstream out;
    out << "// Generated by tools/rc_table from " << source << ". Do not edit.\n"
        << "#include \"platform/posix/module_resources.h\"\n\nnamespace {\n\n";
    for (const Dialog& d : dialogs) {
        out << "const DialogControlResource kControls" << d.id << "[] = {\n";
        for (const Control& c : d.controls) {
            out << "    {" << c.id << "u, " << Literal(c.windowClass) << ", "
                << Literal(Utf8ToCp932(c.caption)) << ", " << c.x << ", " << c.y << ", " << c.cx
                << ", " << c.cy << ", " << Hex(c.style) << ", " << Hex(c.exStyle) << "},\n";
        }
        out << "};\n\n";
    }
    out << "const DialogResource kDialogs[] = {\n";
    for (const Dialog& d : dialogs) {
        char language[8];
        std::snprintf(language, sizeof language, "0x%04X", d.language);
        out << "    {" << d.id << "u, " << language << ", " << Literal(Utf8ToCp932(d.caption))
            << ", " << Literal(Utf8ToCp932(d.fontName)) << ", " << d.fontPointSize << ", " << d.x
            << ", " << d.y << ", " << d.cx << ", " << d.cy << ", " << Hex(d.style) << ", "
            << Hex(d.exStyle) << ", kControls" << d.id << ", " << d.controls.size() << "},\n";
    }
    out << "};\n\n"
        << "// Registers the templates under the instance handle of the module this\n"
        << "// table is linked into, and withdraws them when it is unloaded.\n"
        << "struct Registration {\n"
        << "    HINSTANCE module = ModuleHandleContaining(kDialogs);\n"
        << "    Registration() {\n"
        << "        for (const DialogResource& dialog : kDialogs) RegisterDialogResource(module, &dialog);\n"
        << "    }\n"
        << "    ~Registration() { UnregisterModuleResources(module); }\n"
        << "} registration;\n\n"
        << "}  // namespace\n";
    return out.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::printf("usage: rc_table SCRIPT.rc OUTPUT.cpp\n"
                    "Writes the dialog templates of SCRIPT.rc as a C++ table for the POSIX\n"
                    "dialog layer.\n");
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: rc_table SCRIPT.rc OUTPUT.cpp\n");
        return 2;
    }
    try {
        const std::vector<Dialog> dialogs = Script(argv[1]).Parse();
        if (dialogs.empty()) throw Error(std::string(argv[1]) + ": no dialog template");
        const std::string source = Emit(dialogs, argv[1]);
        // Written aside and renamed into place, so that a reader (or a second
        // run at the same time) never sees half a file.
        const std::string temporary = std::string(argv[2]) + "." + std::to_string(getpid()) + ".tmp";
        {
            std::ofstream out(temporary, std::ios::binary);
            out << source;
            if (!out.flush()) throw Error("cannot write " + temporary);
        }
        if (std::rename(temporary.c_str(), argv[2]) != 0) throw Error(std::string("cannot write ") + argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "rc_table: %s\n", e.what());
        return 1;
    }
    return 0;
}
