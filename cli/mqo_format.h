// The modeller's text document format (.mqo): header, materials, objects
// with vertices and faces, and "Eof". Names are Shift-JIS bytes.
#pragma once

#include <string>
#include <string_view>

#include "cli/scene.h"

// Parses the document `text` into `scene` (encoding Cp932). Chunks and keys
// that the tool does not interpret are kept in the scene's leading and
// trailing lines. On a malformed document returns false and sets `error` to
// "NAME:LINE: what is wrong", NAME being `fileName`.
bool ReadMqo(std::string_view text, const std::string& fileName, Scene& scene, std::string& error);

// The document text of `scene`, whose names must be Shift-JIS. Lines end in
// CR LF, as the modeller writes them.
std::string WriteMqo(const Scene& scene);
