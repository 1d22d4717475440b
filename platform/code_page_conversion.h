// What each platform supplies for the conversions of platform/text_encoding.h:
// the conversion itself, for a code page it supports other than UTF-8. The
// checks around it (UTF-8 repaired, unsupported pages, empty text) are the
// same on every platform, in code_pages.cpp.
#pragma once

#include <string>
#include <string_view>

// Decodes the non-empty `in` from `codePage` into UTF-8 `out`; what does not
// decode becomes '?' and makes the result false.
bool DecodeCodePage(unsigned codePage, std::string_view in, std::string& out);

// Encodes the non-empty, valid UTF-8 `utf8` into `codePage` in `out`; a
// character the code page does not hold as itself becomes '?' and makes
// the result false.
bool EncodeCodePage(unsigned codePage, std::string_view utf8, std::string& out);
