#include "formats/shown_text.h"

std::string ShownText(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 15];
        } else {
            shown += c;
        }
    }
    return shown;
}

std::string ListedInProse(const std::vector<std::string>& items) {
    std::string listed;
    for (size_t i = 0; i < items.size(); ++i)
        listed += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    return listed;
}
