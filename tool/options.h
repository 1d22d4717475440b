// The tool's command line.
#pragma once

#include <string>

#include "preview/preview.h"

enum class Mode { Thicken, Info, Help, Version };

// Which faces the tool selects before it runs the command. The command
// itself then takes the selected faces of visible, unlocked objects only.
struct FaceSelection {
    enum Kind { All, Object, Material } kind = All;
    std::string name;  // Object: the object's name (UTF-8); Material: a name, when not a number
    int material = -1;  // Material: its number, when given as one
};

// The objects the modeller's command leaves out whose selected faces the
// tool thickens all the same: they are handed to the host as visible and
// unlocked, and written back with their own flags.
struct IncludedObjects {
    bool hidden = false;  // --include-hidden
    bool locked = false;  // --include-locked
};

enum class Direction { Front, Center, Back };

struct Options {
    Mode mode = Mode::Thicken;
    std::string input;
    std::string output;            // empty: derived from the input
    std::string thickness = "5.0"; // typed into the dialog as it is
    Direction direction = Direction::Center;
    bool makeFront = true, makeSide = true, makeBack = true;
    bool even = false;             // --even: the dialog's even-thickness box
    FaceSelection selection;
    IncludedObjects include;
    bool onlyResult = false;
    bool ascii = false;            // STL and PLY written as text
    bool stats = false;
    bool timings = false;          // per-stage times on stderr
    std::string plugin;            // empty: the module next to the program
    std::string preview;           // a PNG picture of the new object; empty: none
    int previewWidth = 800, previewHeight = 600;
    PreviewView view = PreviewView::Iso;
    // The module thickens the model as if it were this many times larger
    // (the thickness too); the new object is written back at the file's scale.
    double scale = 1;
};

// The largest picture side --preview-size takes.
constexpr int kMaxPreviewSide = 8192;

// Parses the arguments after the program name. On a usage error returns
// false and sets `error` to one message.
bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error);

// INPUT's folder and stem + "-thick" + INPUT's extension.
std::string DefaultOutputPath(const std::string& input);

// The text of --help.
std::string UsageText();
