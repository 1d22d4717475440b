// The modeller's text document format (.mqo): header, materials, objects
// with vertices (as text or binary) and faces, and "Eof". Names are
// Shift-JIS or UTF-8 bytes, as the document's CodePage line says.
#pragma once

#include <string>
#include <string_view>

#include "formats/scene.h"

class TextSink;

// Parses the document `text` into `scene`, in the encoding its CodePage line
// names (Cp932 without one), noting its header and line ends (CR LF, LF, or
// a lone CR as the first line end tells) in `scene.mqo`.
// Chunks and keys that the tool does not interpret are passed over, binary
// data ("KEY [BYTES]" lines and the raw bytes after them) included; binary
// vertices (BVertex) are read. Notes in `scene.source` where each object's
// chunk lies and where a new one goes; the caller keeps `text` there as
// `scene.source.bytes`. On a malformed document returns false and sets
// `error` to "NAME:LINE: what is wrong", NAME being `fileName`.
bool ReadMqo(std::string_view text, const std::string& fileName, Scene& scene, std::string& error);

// Writes the document text of `scene`, whose names must be in
// `scene.mqo.codePage`, to `out`, or answers it whole: in the form
// `scene.mqo` notes (CR LF lines, as the modeller writes them, and the
// default header for a scene that did not come from a document).
void WriteMqo(const Scene& scene, TextSink& out);
std::string WriteMqo(const Scene& scene);

// Writes the document `scene` was read from (`scene.source`, a .mqo
// document) as it was, byte for byte, with the chunks of the objects added
// to the scene since (those from `scene.source.objects` on; names in the
// document's code page) where the modeller puts a new object, after the
// last one, in the document's line ends and indentation. The chunks of the
// document's objects from `scene.source.objects` on, which the scene no
// longer holds, are left out, and the new objects take the place of the
// first of them.
void WriteMqoSplice(const Scene& scene, TextSink& out);
