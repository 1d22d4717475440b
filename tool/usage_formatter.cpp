#include "tool/usage_formatter.h"

#include <sstream>
#include <utility>

namespace {

constexpr size_t kLineWidth = 78;   // no line of the help is longer
constexpr size_t kTextColumn = 24;  // where the text of an option begins

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// `items` one after the other, separated by a space, from `column` of the
// current line; an item that would pass kLineWidth begins a new line, which
// starts at `indent`.
std::string Wrap(const std::vector<std::string>& items, size_t column, size_t indent) {
    std::string out;
    size_t at = column;
    bool lineEmpty = true;
    for (const std::string& item : items) {
        if (!lineEmpty && at + 1 + item.size() > kLineWidth) {
            out += "\n" + std::string(indent, ' ');
            at = indent;
            lineEmpty = true;
        }
        if (!lineEmpty) {
            out += ' ';
            ++at;
        }
        out += item;
        at += item.size();
        lineEmpty = false;
    }
    return out;
}

// Each line of `text` a paragraph, wrapped from the first column.
std::string Paragraphs(const std::string& text) {
    std::string out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out += Wrap(Words(line), 0, 0) + "\n";
    return out;
}

bool TakesValue(const CLI::Option* option) { return option->get_items_expected_max() != 0; }

// An option as the synopsis shows it: its short name if it has one, with
// the name of its value.
std::string SynopsisItem(const CLI::Option* option) {
    std::string item = option->get_snames().empty() ? "--" + option->get_lnames().front()
                                                    : "-" + option->get_snames().front();
    if (TakesValue(option)) item += " " + option->get_type_name();
    return "[" + item + "]";
}

}  // namespace

UsageFormatter::UsageFormatter(std::vector<std::string> otherForms)
    : otherForms_(std::move(otherForms)) {}

std::string UsageFormatter::make_help(const CLI::App* app, std::string name,
                                      CLI::AppFormatMode) const {
    std::string options;
    for (const CLI::Option* option : app->get_options())
        if (option->nonpositional()) options += make_option(option, false);
    return make_usage(app, name) + "\n" + make_description(app) + "\n" + options + "\n" +
           make_footer(app);
}

std::string UsageFormatter::make_usage(const CLI::App* app, std::string name) const {
    const std::string lead = "Usage: " + name + " ";
    std::vector<std::string> items;
    for (const CLI::Option* option : app->get_options())
        if (option->get_positional()) items.push_back(option->get_name(true));
    for (const CLI::Option* option : app->get_options())
        if (option->nonpositional() && option->get_group() != kModeGroup)
            items.push_back(SynopsisItem(option));
    std::string out = lead + Wrap(items, lead.size(), lead.size()) + "\n";
    for (const std::string& form : otherForms_)
        out += std::string(lead.size() - name.size() - 1, ' ') + name + " " + form + "\n";
    return out;
}

// "  -o, --output OUTPUT   text", names without a short one indented as if
// they had one, the text wrapped in its column (under the names when they
// reach into it).
std::string UsageFormatter::make_option(const CLI::Option* option, bool isPositional) const {
    if (isPositional) return {};
    std::string names = "  ";
    for (const std::string& name : option->get_snames()) names += "-" + name + ", ";
    if (option->get_snames().empty()) names += "    ";
    for (size_t i = 0; i < option->get_lnames().size(); ++i)
        names += (i ? ", --" : "--") + option->get_lnames()[i];
    if (TakesValue(option)) names += " " + option->get_type_name();
    std::string out = names;
    if (names.size() + 2 > kTextColumn) out += "\n" + std::string(kTextColumn, ' ');
    else out += std::string(kTextColumn - names.size(), ' ');
    return out + Wrap(Words(option->get_description()), kTextColumn, kTextColumn) + "\n";
}

std::string UsageFormatter::make_description(const CLI::App* app) const {
    return Paragraphs(app->get_description());
}

std::string UsageFormatter::make_footer(const CLI::App* app) const {
    return Paragraphs(app->get_footer());
}
