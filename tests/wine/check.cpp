#include "tests/wine/check.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct TestCase {
    const char* name;
    TestFunction function;
};

std::vector<TestCase>& Registry() {
    static std::vector<TestCase> cases;
    return cases;
}

int failuresInCase = 0;

bool Selected(const char* name, int argc, char** argv) {
    if (argc <= 1) return true;
    for (int i = 1; i < argc; ++i)
        if (std::strstr(name, argv[i])) return true;
    return false;
}

}  // namespace

TestRegistration::TestRegistration(const char* name, TestFunction function) {
    Registry().push_back({name, function});
}

void ReportFailure(const char* file, int line, const std::string& message) {
    ++failuresInCase;
    std::printf("  %s:%d: check failed: %s\n", file, line, message.c_str());
    std::fflush(stdout);
}

int FailureCount() { return failuresInCase; }

std::string CheckPrintable(const std::string& value) {
    std::string out = "\"";
    for (unsigned char c : value) {
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
            out.push_back(static_cast<char>(c));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        }
    }
    return out + "\"";
}

std::string CheckPrintable(const std::wstring& value) {
    std::string out = "L\"";
    for (wchar_t c : value) {
        if (c >= 0x20 && c < 0x7F && c != L'\\' && c != L'"') {
            out.push_back(static_cast<char>(c));
        } else {
            char escaped[10];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    return out + "\"";
}

std::string CheckPrintable(const char* value) {
    return value ? CheckPrintable(std::string(value)) : std::string("(null)");
}

std::string CheckPrintable(const wchar_t* value) {
    return value ? CheckPrintable(std::wstring(value)) : std::string("(null)");
}

int RunTests(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
        for (const TestCase& c : Registry()) std::printf("%s\n", c.name);
        return 0;
    }
    int run = 0, failed = 0;
    for (const TestCase& c : Registry()) {
        if (!Selected(c.name, argc, argv)) continue;
        failuresInCase = 0;
        std::printf("[ RUN  ] %s\n", c.name);
        std::fflush(stdout);
        c.function();
        ++run;
        if (failuresInCase) ++failed;
        std::printf("[ %s ] %s\n", failuresInCase ? "FAIL" : " OK ", c.name);
        std::fflush(stdout);
    }
    std::printf("%d of %d test cases passed\n", run - failed, run);
    if (run == 0) {
        std::printf("no test case matched\n");
        return 1;
    }
    return failed ? 1 : 0;
}
