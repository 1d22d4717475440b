// The layout of mqthicken --help, made by CLI11 from the declared options:
// a synopsis, the app's description, one entry per option with its text
// wrapped beside the names, and the footer.
#pragma once

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

// The group of the options that choose another mode than thickening
// (--info, --help, --version): the synopsis shows them in `otherForms`
// instead of in its first form.
constexpr const char* kModeGroup = "Modes";

class UsageFormatter : public CLI::Formatter {
public:
    // `otherForms` are the command lines of the other modes, after the
    // program's name ("--info [--plugin PATH]").
    explicit UsageFormatter(std::vector<std::string> otherForms);

    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override;
    std::string make_usage(const CLI::App* app, std::string name) const override;
    std::string make_option(const CLI::Option* option, bool isPositional) const override;
    std::string make_description(const CLI::App* app) const override;
    std::string make_footer(const CLI::App* app) const override;

private:
    std::vector<std::string> otherForms_;
};
