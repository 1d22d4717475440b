#include "tool/options.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

#include "formats/file_io.h"
#include "formats/number_text.h"
#include "platform/text_encoding.h"
#include "tool/usage_formatter.h"

namespace {

bool ParseDirection(const std::string& text, Direction& direction, std::string& error) {
    if (text == "front") direction = Direction::Front;
    else if (text == "center" || text == "centre") direction = Direction::Center;
    else if (text == "back") direction = Direction::Back;
    else {
        error = "-d takes front, center or back, not \"" + text + "\"";
        return false;
    }
    return true;
}

bool ParseSelection(const std::string& text, FaceSelection& selection, std::string& error) {
    if (text == "all") {
        selection = FaceSelection{};
        return true;
    }
    if (text.rfind("object:", 0) == 0) {
        selection.kind = FaceSelection::Object;
        selection.name = Utf8FromArgument(text.substr(7));
        return true;
    }
    if (text.rfind("material:", 0) == 0 && text.size() > 9) {
        selection.kind = FaceSelection::Material;
        selection.name = Utf8FromArgument(text.substr(9));
        selection.material = -1;
        int32_t number;
        if (ParseInt(selection.name, number)) {
            if (number < 0) {
                error = "--select material:N takes a material number from 0, not " +
                        selection.name;
                return false;
            }
            selection.material = number;
            selection.name.clear();
        }
        return true;
    }
    error = "--select takes all, object:NAME or material:N, not \"" + text + "\"";
    return false;
}

bool ParseView(const std::string& text, PreviewView& view, std::string& error) {
    static const struct {
        const char* name;
        PreviewView view;
    } views[] = {{"iso", PreviewView::Iso},     {"front", PreviewView::Front},
                 {"back", PreviewView::Back},   {"left", PreviewView::Left},
                 {"right", PreviewView::Right}, {"top", PreviewView::Top},
                 {"bottom", PreviewView::Bottom}};
    for (const auto& v : views)
        if (text == v.name) {
            view = v.view;
            return true;
        }
    error = "--view takes front, back, left, right, top, bottom or iso, not \"" + text + "\"";
    return false;
}

// A side of a picture: 1 to kMaxPreviewSide, in decimal digits only.
bool ParseSide(const std::string& text, int& side) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    side = std::stoi(text);
    return side >= 1 && side <= kMaxPreviewSide;
}

bool ParsePreviewSize(const std::string& text, int& width, int& height, std::string& error) {
    const size_t x = text.find('x');
    if (x == std::string::npos || !ParseSide(text.substr(0, x), width) ||
        !ParseSide(text.substr(x + 1), height)) {
        error = "--preview-size takes WIDTHxHEIGHT, each from 1 to " +
                std::to_string(kMaxPreviewSide) + " pixels, not \"" + text + "\"";
        return false;
    }
    return true;
}

// A picture path names a .png file in a folder that exists, or a device or
// FIFO (/dev/null), which has no extension to tell by.
bool CheckPreviewPath(const std::string& path, std::string& error) {
    if (IsSpecialFile(path)) return true;
    std::filesystem::path file(path);
    std::string extension = file.extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension != ".png" || file.stem().empty()) {
        error = "--preview needs a file name ending in .png, not \"" + path + "\"";
        return false;
    }
    std::error_code ec;
    const std::filesystem::path folder = file.parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
        error = "--preview " + path + ": no folder " + folder.string();
        return false;
    }
    return true;
}

// Whether atof would find a number at the start of `text`: the module reads
// the thickness that way and takes 0 when there is none.
bool StartsWithNumber(const std::string& text) {
    size_t i = text.find_first_not_of(" \t\n\v\f\r");
    if (i == std::string::npos) return false;
    if (text[i] == '+' || text[i] == '-') ++i;
    if (i < text.size() && text[i] == '.') ++i;
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

// --scale: a finite number above 0, written out whole.
bool ParseScale(const std::string& text, double& scale, std::string& error) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value) || !(value > 0)) {
        error = "--scale needs a number above 0, not \"" + text + "\"";
        return false;
    }
    scale = value;
    return true;
}

// The value of an option that names a file: not empty.
bool CheckFileName(const std::string& value, const std::string& option, std::string& error) {
    if (!value.empty()) return true;
    error = "option " + option + " needs a file name";
    return false;
}

// Stops CLI11 when a check of a value has not `passed`; the check has put
// its message, as the tool words it, in `error`.
void Require(bool passed, const std::string& error) {
    if (!passed) throw CLI::ValidationError(error);
}

bool TakesValue(const CLI::Option& option) { return option.get_items_expected_max() != 0; }

const char kDescription[] =
    "Gives the selected faces of a mesh file a thickness with the thickening module, and "
    "writes the file with the new closed shell added as an object. Files are read and "
    "written by extension: .mqo, .mqoz (an archive holding a .mqo), .obj, .stl or .ply.";

const char kFooter[] =
    "Exit status: 0 when a new object was added, 1 when nothing was thickened, 2 on usage, "
    "input or output errors. A picture that cannot be written is an output error; the mesh "
    "file is written all the same.";

// The command line as CLI11 declares it, its values bound to `options`.
// Every value given is checked, and a failed check says what is wrong in
// `error`.
class CommandLine {
public:
    CommandLine(Options& options, std::string& error);

    // Reads the arguments into `options`; false, with `error` set, on a
    // usage error.
    bool Parse(int argc, const char* const* argv);

    // The text of --help.
    std::string Help() const { return app_.help(); }

private:
    bool SpellOut(int argc, const char* const* argv, std::vector<std::string>& args);
    bool CheckTheWhole();
    // How the user spelt `option` ("-o" or "--output").
    std::string Spelling(const CLI::Option* option) const;

    Options& options_;
    std::string& error_;
    CLI::App app_{kDescription, "mqthicken"};
    std::vector<std::string> inputs_;  // all of them, so that a second one is ours to refuse
    std::string thickness_;
    bool info_ = false, help_ = false, version_ = false;
    std::map<const CLI::Option*, std::string> spelling_;
    std::string waitingForValue_;  // the last argument, an option without its value
};

CommandLine::CommandLine(Options& options, std::string& error)
    : options_(options), error_(error) {
    // --help is an option like the others: a usage error anywhere beats it.
    app_.set_help_flag();
    // "/folder/file.mqo" is a file, on Windows too.
    app_.allow_windows_style_options(false);
    // An option given again overrides (each value is still checked).
    app_.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app_.footer(kFooter);
    app_.formatter(std::make_shared<UsageFormatter>(
        std::vector<std::string>{"--info [--plugin PATH]", "--help | --version"}));

    app_.add_option("INPUT", inputs_, "the mesh file to thicken");
    CLI::Option* output = app_.add_option(
        "-o,--output", options.output, "file to write (default: INPUT's name + \"-thick\")");
    output->type_name("OUTPUT")->each([this, output](const std::string& value) {
        Require(CheckFileName(value, Spelling(output), error_), error_);
    });
    app_.add_option("-t,--thickness", thickness_, "thickness, typed into the dialog (default 5.0)")
        ->type_name("TEXT");
    app_.add_option("-d,--direction")
        ->description("where the thickness goes: front, center (default) or back")
        ->type_name("front|center|back")
        ->each([this](const std::string& value) {
            Require(ParseDirection(value, options_.direction, error_), error_);
        });
    app_.add_flag("--even", options.even,
                 "make the walls even: place each corner at the thickness from every face "
                 "around it, not along the averaged normal (the dialog's box \"厚みを均一にする\")");
    app_.add_flag_callback("--no-front", [this] { options_.makeFront = false; },
                          "leave out the front surface");
    app_.add_flag_callback("--no-side", [this] { options_.makeSide = false; },
                          "leave out the side walls along the open border");
    app_.add_flag_callback("--no-back", [this] { options_.makeBack = false; },
                          "leave out the back surface");
    app_.add_option("--select")
        ->description(
            "faces to thicken: all (default), object:NAME, or material:N (a material number or "
            "name); hidden and locked objects take part only with the next two options")
        ->type_name("all|object:NAME|material:N")
        ->each([this](const std::string& value) {
            Require(ParseSelection(value, options_.selection, error_), error_);
        });
    app_.add_flag("--include-hidden", options.include.hidden,
                 "also thicken the selected faces of hidden objects, which stay hidden");
    app_.add_flag("--include-locked", options.include.locked,
                 "also thicken the selected faces of locked objects, which stay locked");
    app_.add_flag("--only-result", options.onlyResult, "write only the new object");
    app_.add_flag("--ascii", options.ascii,
                 "write .stl and .ply as text rather than binary (a file written back in its "
                 "own format keeps its own form)");
    app_.add_flag("--stats", options.stats,
                 "print the new object's counts, whether it is closed and consistently "
                 "oriented, its open and overused edges, its volume, and how thick its walls "
                 "came out as shares of the offset asked for");
    app_.add_flag("--timings", options.timings,
                 "print the time of each stage on stderr: reading, the command's stages, writing");
    app_.add_option("--preview", options.preview,
                   "also draw the new object into a .png picture: front surface orange, back "
                   "surface blue, side walls green, faces seen from behind darker")
        ->type_name("FILE.png")
        ->each([this](const std::string& value) {
            Require(CheckPreviewPath(value, error_), error_);
        });
    app_.add_option("--preview-size")
        ->description("the picture's size in pixels (default 800x600)")
        ->type_name("WxH")
        ->each([this](const std::string& value) {
            Require(ParsePreviewSize(value, options_.previewWidth, options_.previewHeight, error_),
                    error_);
        });
    app_.add_option("--view")
        ->description(
            "iso (default: from above, in front, to the right), front (from +z), back, left, "
            "right (from +x), top (from +y) or bottom")
        ->type_name("VIEW")
        ->each([this](const std::string& value) {
            Require(ParseView(value, options_.view, error_), error_);
        });
    app_.add_option("--scale")
        ->description(
            "thicken the model as if it were N times larger, the thickness too, and write the "
            "new object back at the file's scale: a model in metres keeps details finer than "
            "the module's welds (0.001)")
        ->type_name("N")
        ->each([this](const std::string& value) {
            Require(ParseScale(value, options_.scale, error_), error_);
        });
    CLI::Option* plugin = app_.add_option("--plugin", options.plugin,
                                         "the module to load (default: next to the program)");
    plugin->type_name("PATH")->each([this](const std::string& value) {
        Require(CheckFileName(value, "--plugin", error_), error_);
    });
    app_.add_flag("--info", info_, "print the module's name, label, ids, type, version")
        ->group(kModeGroup);
    app_.add_flag("-h,--help", help_, "print this help")->group(kModeGroup);
    app_.add_flag("-V,--version", version_, "print the tool's version")->group(kModeGroup);
}

std::string CommandLine::Spelling(const CLI::Option* option) const {
    const auto found = spelling_.find(option);
    return found != spelling_.end() ? found->second : option->get_name();
}

// CLI11 reads some arguments more loosely than the tool always has: a flag
// with a value (--stats=yes; -hx, which it takes as -h -x), an empty value
// after '=' (--select=, after which it takes the next argument as the
// value), and arguments that begin with '-' but that it takes for files
// (-1, ---x). Those are settled here, in the order they come; what reaches
// CLI11 in `args` is each option by the name it was given, followed by its
// value, reversed as CLI11 takes them.
bool CommandLine::SpellOut(int argc, const char* const* argv, std::vector<std::string>& args) {
    bool noMoreOptions = false;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (noMoreOptions || arg.empty() || arg[0] != '-' || arg == "-") {
            args.push_back(arg);
            continue;
        }
        if (arg == "--") {
            noMoreOptions = true;
            args.push_back(arg);
            continue;
        }
        // --name=value, and -tVALUE for the short options that take one.
        std::string name = arg;
        std::optional<std::string> value;
        if (arg.rfind("--", 0) == 0) {
            const size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                name = arg.substr(0, eq);
                value = arg.substr(eq + 1);
            }
        } else if (arg.size() > 2) {
            name = arg.substr(0, 2);
            value = arg.substr(2);
        }
        const CLI::Option* option = app_.get_option_no_throw(name);
        if (!option || !option->nonpositional()) {
            error_ = "unknown option " + name;
            return false;
        }
        spelling_[option] = name;
        args.push_back(name);
        if (!TakesValue(*option)) {
            if (value) {
                error_ = "option " + name + " takes no value";
                return false;
            }
            continue;
        }
        // The value is the next argument, whatever it looks like ("-t -1").
        if (value) args.push_back(*value);
        else if (i + 1 < argc) args.push_back(argv[++i]);
        else waitingForValue_ = name;
    }
    std::reverse(args.begin(), args.end());
    return true;
}

bool CommandLine::Parse(int argc, const char* const* argv) {
    std::vector<std::string> args;
    if (!SpellOut(argc, argv, args)) return false;
    try {
        app_.parse(args);
    } catch (const CLI::ParseError& e) {
        // A value's check has said what is wrong; CLI11's own words are
        // kept for what the tool has no words of its own for.
        if (!error_.empty()) return false;
        if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) && !waitingForValue_.empty())
            error_ = "option " + waitingForValue_ + " needs a value";
        else
            error_ = e.what();
        return false;
    }
    return CheckTheWhole();
}

// The checks of the command line as a whole, before anything is read.
bool CommandLine::CheckTheWhole() {
    auto refuse = [this](std::string message) {
        error_ = std::move(message);
        return false;
    };
    if (inputs_.size() > 1)
        return refuse("more than one input file (\"" + inputs_[0] + "\" and \"" + inputs_[1] +
                      "\")");
    if (!inputs_.empty()) options_.input = inputs_[0];
    if (help_) {
        options_.mode = Mode::Help;
        return true;
    }
    if (version_) {
        options_.mode = Mode::Version;
        return true;
    }
    if (info_) {
        options_.mode = Mode::Info;
        return options_.input.empty() || refuse("--info takes no input file");
    }
    if (options_.input.empty()) return refuse("no input file");
    if (app_.count("--thickness")) {
        options_.thickness = Utf8FromArgument(thickness_);
        if (options_.thickness.size() > 63)
            return refuse("the thickness text is longer than the dialog's 63 characters");
        if (!StartsWithNumber(options_.thickness))
            return refuse("-t needs a number, not \"" + options_.thickness + "\"");
    }
    if ((app_.count("--preview-size") || app_.count("--view")) && options_.preview.empty())
        return refuse("--preview-size and --view shape the picture of --preview, which is not given");
    if (!options_.makeFront && !options_.makeSide && !options_.makeBack)
        return refuse("--no-front, --no-side and --no-back together leave nothing to make");
    if (options_.output.empty()) options_.output = DefaultOutputPath(options_.input);
    return true;
}

}  // namespace

bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
    CommandLine line(options, error);
    return line.Parse(argc, argv);
}

std::string DefaultOutputPath(const std::string& input) {
    std::filesystem::path path(input);
    std::filesystem::path name = path.stem();
    name += "-thick";
    name += path.extension();
    return path.parent_path().empty() ? name.string() : (path.parent_path() / name).string();
}


std::string UsageText() {
    Options options;
    std::string error;
    CommandLine line(options, error);
    return line.Help();
}
