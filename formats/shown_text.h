// Text from a file as a message shows it, and lists in messages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// `text` with each control byte (below 0x20, and 0x7F) written as \xNN, so
// that a name or a line quoted in a message is
// shown whole: a NUL no longer cuts it, nor a line end or an escape
// sequence disturbs the terminal. Other bytes are kept as they are.
std::string ShownText(std::string_view text);

// `items` as a sentence lists them: "a", "a and b", "a, b and c"; empty for
// none.
std::string ListedInProse(const std::vector<std::string>& items);
