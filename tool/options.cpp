#include "tool/options.h"

#include <cctype>
#include <cstring>
#include <filesystem>

#include "formats/number_text.h"
#include "platform/text_encoding.h"

namespace {

bool TakeValue(int argc, const char* const* argv, int& i, const std::string& option,
               const char* inlineValue, std::string& value, std::string& error) {
    if (inlineValue) {
        value = inlineValue;
        return true;
    }
    if (i + 1 >= argc) {
        error = "option " + option + " needs a value";
        return false;
    }
    value = argv[++i];
    return true;
}

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

// A picture path names a .png file in a folder that exists.
bool CheckPreviewPath(const std::string& path, std::string& error) {
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

}  // namespace

bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
    bool info = false, help = false, version = false, noMoreOptions = false;
    bool thicknessGiven = false;
    bool pictureShaped = false;  // --preview-size or --view given
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (noMoreOptions || arg.empty() || arg[0] != '-' || arg == "-") {
            if (!options.input.empty()) {
                error = "more than one input file (\"" + options.input + "\" and \"" + arg + "\")";
                return false;
            }
            options.input = arg;
            continue;
        }
        if (arg == "--") {
            noMoreOptions = true;
            continue;
        }
        // --name=value, and -tVALUE for the short options that take one.
        std::string name = arg;
        const char* inlineValue = nullptr;
        if (arg.rfind("--", 0) == 0) {
            size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                name = arg.substr(0, eq);
                inlineValue = argv[i] + eq + 1;
            }
        } else if (arg.size() > 2) {
            name = arg.substr(0, 2);
            inlineValue = argv[i] + 2;
        }
        std::string value;
        auto take = [&] { return TakeValue(argc, argv, i, name, inlineValue, value, error); };
        auto flag = [&](bool& target) {
            if (inlineValue) {
                error = "option " + name + " takes no value";
                return false;
            }
            target = true;
            return true;
        };
        bool off = false;
        bool ok;
        if (name == "-o" || name == "--output") {
            ok = take() && !(options.output = value).empty();
            if (!ok && error.empty()) error = "option " + name + " needs a file name";
        } else if (name == "-t" || name == "--thickness") {
            ok = take();
            options.thickness = Utf8FromArgument(value);
            thicknessGiven = true;
        } else if (name == "-d" || name == "--direction") {
            ok = take() && ParseDirection(value, options.direction, error);
        } else if (name == "--no-front") {
            ok = flag(off);
            options.makeFront = false;
        } else if (name == "--no-side") {
            ok = flag(off);
            options.makeSide = false;
        } else if (name == "--no-back") {
            ok = flag(off);
            options.makeBack = false;
        } else if (name == "--select") {
            ok = take() && ParseSelection(value, options.selection, error);
        } else if (name == "--only-result") {
            ok = flag(options.onlyResult);
        } else if (name == "--stats") {
            ok = flag(options.stats);
        } else if (name == "--timings") {
            ok = flag(options.timings);
        } else if (name == "--plugin") {
            ok = take() && !(options.plugin = value).empty();
            if (!ok && error.empty()) error = "option --plugin needs a file name";
        } else if (name == "--preview") {
            ok = take() && CheckPreviewPath(value, error);
            options.preview = value;
        } else if (name == "--preview-size") {
            ok = take() &&
                 ParsePreviewSize(value, options.previewWidth, options.previewHeight, error);
            pictureShaped = true;
        } else if (name == "--view") {
            ok = take() && ParseView(value, options.view, error);
            pictureShaped = true;
        } else if (name == "--info") {
            ok = flag(info);
        } else if (name == "-h" || name == "--help") {
            ok = flag(help);
        } else if (name == "-V" || name == "--version") {
            ok = flag(version);
        } else {
            error = "unknown option " + name;
            return false;
        }
        if (!ok) return false;
    }

    if (help) {
        options.mode = Mode::Help;
        return true;
    }
    if (version) {
        options.mode = Mode::Version;
        return true;
    }
    if (info) {
        options.mode = Mode::Info;
        if (!options.input.empty()) {
            error = "--info takes no input file";
            return false;
        }
        return true;
    }
    if (options.input.empty()) {
        error = "no input file";
        return false;
    }
    if (thicknessGiven) {
        if (options.thickness.size() > 63) {
            error = "the thickness text is longer than the dialog's 63 characters";
            return false;
        }
        if (!StartsWithNumber(options.thickness)) {
            error = "-t needs a number, not \"" + options.thickness + "\"";
            return false;
        }
    }
    if (pictureShaped && options.preview.empty()) {
        error = "--preview-size and --view shape the picture of --preview, which is not given";
        return false;
    }
    if (options.output.empty()) options.output = DefaultOutputPath(options.input);
    return true;
}

std::string DefaultOutputPath(const std::string& input) {
    std::filesystem::path path(input);
    std::filesystem::path name = path.stem();
    name += "-thick";
    name += path.extension();
    return path.parent_path().empty() ? name.string() : (path.parent_path() / name).string();
}

std::string UsageText() {
    return "Usage: mqthicken INPUT [-o OUTPUT] [-t TEXT] [-d front|center|back]\n"
           "                 [--no-front] [--no-side] [--no-back]\n"
           "                 [--select all|object:NAME|material:N] [--only-result]\n"
           "                 [--stats] [--timings] [--plugin PATH]\n"
           "                 [--preview FILE.png [--preview-size WxH] [--view VIEW]]\n"
           "       mqthicken --info [--plugin PATH]\n"
           "       mqthicken --help | --version\n"
           "\n"
           "Gives the selected faces of a mesh file a thickness with the thickening\n"
           "module, and writes the file with the new closed shell added as an object.\n"
           "Files are read and written by extension: .mqo, .mqoz (an archive holding\n"
           "a .mqo) or .obj.\n"
           "\n"
           "  -o, --output OUTPUT   file to write (default: INPUT's name + \"-thick\")\n"
           "  -t, --thickness TEXT  thickness, typed into the dialog (default 5.0)\n"
           "  -d, --direction DIR   where the thickness goes: front, center (default)\n"
           "                        or back\n"
           "      --no-front        leave out the front surface\n"
           "      --no-side         leave out the side walls along the open border\n"
           "      --no-back         leave out the back surface\n"
           "      --select WHAT     faces to thicken: all (default), object:NAME, or\n"
           "                        material:N (a material number or name); only\n"
           "                        visible, unlocked objects take part\n"
           "      --only-result     write only the new object\n"
           "      --stats           print the new object's counts, whether it is closed\n"
           "                        and consistently oriented, its open and overused\n"
           "                        edges, and its volume\n"
           "      --timings         print the time of each stage on stderr: reading,\n"
           "                        the command's stages, writing\n"
           "      --preview FILE    also draw the new object into FILE, a .png picture:\n"
           "                        front surface orange, back surface blue, side\n"
           "                        walls green, faces seen from behind darker\n"
           "      --preview-size WxH\n"
           "                        the picture's size in pixels (default 800x600)\n"
           "      --view VIEW       iso (default: from above, in front, to the right),\n"
           "                        front (from +z), back, left, right (from +x), top\n"
           "                        (from +y) or bottom\n"
           "      --plugin PATH     the module to load (default: next to the program)\n"
           "      --info            print the module's name, label, ids, type, version\n"
           "  -h, --help            print this help\n"
           "  -V, --version         print the tool's version\n"
           "\n"
           "Exit status: 0 when a new object was added, 1 when nothing was thickened,\n"
           "2 on usage, input or output errors. A picture that cannot be written is an\n"
           "output error; the mesh file is written all the same.\n";
}
