// The modeller's text document format (.mqo): header, materials, objects
// with vertices (as text or binary) and faces, and "Eof". Names are
// Shift-JIS or UTF-8 bytes, as the document's CodePage line says.
#pragma once

#include <string>
#include <string_view>

#include "formats/scene.h"

class TextSink;

// Parses the document `text` into `scene`, in the encoding its CodePage line
// names (Cp932 without one), noting its header and line ends in `scene.mqo`.
// Chunks and keys that the tool does not interpret are kept in the scene's
// leading and trailing lines, blank lines and binary data ("KEY [BYTES]"
// lines and the raw bytes after them) included; binary vertices (BVertex)
// are read. On a malformed document returns false and sets `error` to
// "NAME:LINE: what is wrong", NAME being `fileName`.
bool ReadMqo(std::string_view text, const std::string& fileName, Scene& scene, std::string& error);

// Writes the document text of `scene`, whose names must be in
// `scene.mqo.codePage`, to `out`, or answers it whole: in the form
// `scene.mqo` notes (CR LF lines, as the modeller writes them, and the
// default header for a scene that did not come from a document).
void WriteMqo(const Scene& scene, TextSink& out);
std::string WriteMqo(const Scene& scene);
