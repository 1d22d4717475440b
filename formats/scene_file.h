// Mesh files by extension: .mqo (the modeller's documents), .mqoz (the same
// in a zip archive), .obj, .stl and .ply.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/scene.h"

enum class SceneFormat { Unknown, Mqo, Mqoz, Obj, Stl, Ply };

// The format that the extension of `path` names, case-insensitively.
SceneFormat FormatOfPath(const std::string& path);

// The message for a path of no known format.
std::string UnknownFormatMessage(const std::string& path);

// Reads the mesh file at `path`. On failure returns false and sets `error` to
// one message naming the file (and, for a malformed file, the line).
bool LoadScene(const std::string& path, Scene& scene, std::string& error);

// Re-encodes the names of `scene` to `encoding`. Names that do not decode in
// the scene's code page, or that the target cannot hold, keep '?' (or, in
// UTF-8, U+FFFD) in place of the missing characters and are reported, in
// UTF-8, in `lossy`; names that are to be UTF-8 always come out valid.
// `name`, in `encoding`, as UTF-8, for messages and for matching names
// given on the command line; what does not decode is replaced.
std::string NameAsUtf8(std::string_view name, TextEncoding encoding);

void ConvertSceneEncoding(Scene& scene, TextEncoding encoding, std::vector<std::string>& lossy);

// How STL and PLY files are written: binary (the default), or as text; and
// the format, where the path's extension does not tell it (a device).
struct SaveOptions {
    bool ascii = false;
    SceneFormat format = SceneFormat::Unknown;  // Unknown: by the extension
};

// What a write could not carry: the names that lost characters in the
// conversion (in UTF-8), and, for STL and PLY, sentences on what the format
// has no place for, without the file's name.
struct SaveReport {
    std::vector<std::string> lossy;
    std::vector<std::string> losses;
};

// Writes `scene` to `path` in the format of its extension (or of
// `options.format`), converting names
// as needed (the scene's own are given back after the write). In the format
// the scene was read from, the file is its source with the new objects
// spliced in (see WriteMqoSplice, WriteObjSplice, WriteStlSplice,
// WritePlySplice), in the source's own form (binary or text) whatever
// `options` says, unless the text of a binary source is asked for; a PLY
// file whose layout cannot take the new objects is composed, and the report
// says why. An archive keeps the members of the one the scene came from.
// Through a temporary file renamed into place (a link, a device or a FIFO
// is written in place, see WriteFileAtomically). A scene with an infinite or
// undefined coordinate or UV, which no format can hold, is refused. On
// failure returns false, sets `error`, and leaves an existing file at `path`
// untouched.
bool SaveScene(const std::string& path, Scene& scene, const SaveOptions& options,
               SaveReport& report, std::string& error);
