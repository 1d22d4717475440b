// A small test runner for the Windows test programs (GoogleTest is not
// available to the cross compiler): TEST registers a case, CHECK and
// CHECK_EQ report a failure with its place and go on, the runner prints one
// line per case and answers non-zero when any check failed.
#pragma once

#include <sstream>
#include <string>

typedef void (*TestFunction)();

// Registers a test case; used through TEST.
struct TestRegistration {
    TestRegistration(const char* name, TestFunction function);
};

// Records one failed check of the running case.
void ReportFailure(const char* file, int line, const std::string& message);

// Number of failed checks in the running case so far.
int FailureCount();

// Runs the registered cases whose names contain one of the arguments (all
// of them without arguments); `--list` prints the names. Returns the exit
// status: 0 when every check passed.
int RunTests(int argc, char** argv);

#define TEST(name)                                                  \
    static void name();                                             \
    static const TestRegistration name##_registration(#name, name); \
    static void name()

#define CHECK(condition)                                               \
    do {                                                               \
        if (!(condition)) ReportFailure(__FILE__, __LINE__, #condition); \
    } while (0)

#define CHECK_EQ(actual, expected)                                                    \
    do {                                                                              \
        const auto& check_actual_ = (actual);                                         \
        const auto& check_expected_ = (expected);                                     \
        if (!(check_actual_ == check_expected_)) {                                    \
            std::ostringstream check_message_;                                        \
            check_message_ << #actual << " == " << #expected << "\n    actual:   "    \
                           << CheckPrintable(check_actual_) << "\n    expected: "     \
                           << CheckPrintable(check_expected_);                        \
            ReportFailure(__FILE__, __LINE__, check_message_.str());                  \
        }                                                                             \
    } while (0)

// Values as a failure message shows them: strings with their non-ASCII
// bytes escaped, wide strings by their code units, numbers as they are.
std::string CheckPrintable(const std::string& value);
std::string CheckPrintable(const std::wstring& value);
std::string CheckPrintable(const char* value);
std::string CheckPrintable(const wchar_t* value);
template <typename T>
auto CheckPrintable(const T& value) -> decltype(std::declval<std::ostream&>() << value, std::string()) {
    std::ostringstream out;
    out << value;
    return out.str();
}
