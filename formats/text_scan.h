// The blanks and words of the text formats' lines, shared by their readers.
#pragma once

#include <string_view>

// A blank between the words of a line: a space, a tab, or the CR of a CR LF
// line end (or a stray one), which no word holds.
inline bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// `s` without its leading and trailing blanks.
inline std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

// Splits off the first blank-separated word of `rest`.
inline std::string_view NextWord(std::string_view& rest) {
    rest = Trim(rest);
    size_t end = 0;
    while (end < rest.size() && !IsSpace(rest[end])) ++end;
    std::string_view word = rest.substr(0, end);
    rest.remove_prefix(end);
    return word;
}
