#include "cli/PrintableText.h"

namespace {

void AppendHex(std::string& text, const char* prefix, unsigned value, int digits) {
    static const char kHex[] = "0123456789abcdef";
    text += prefix;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
        text += kHex[(value >> shift) & 0xF];
    }
}

}  // namespace

std::string PrintableText(const std::string& utf8) {
    std::string text;
    text.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size(); ++pos) {
        const unsigned char byte = static_cast<unsigned char>(utf8[pos]);
        const unsigned char next =
            pos + 1 < utf8.size() ? static_cast<unsigned char>(utf8[pos + 1]) : 0;
        const unsigned char third =
            pos + 2 < utf8.size() ? static_cast<unsigned char>(utf8[pos + 2]) : 0;
        if (byte < 0x20 || byte == 0x7F) {
            AppendHex(text, "\\x", byte, 2);
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            AppendHex(text, "\\u", next, 4);  // U+0080 to U+009F
            ++pos;
        } else if (byte == 0xE2 && next == 0x80 && (third == 0xA8 || third == 0xA9)) {
            AppendHex(text, "\\u", 0x2000u + third - 0x80u, 4);  // U+2028, U+2029
            pos += 2;
        } else {
            text += static_cast<char>(byte);
        }
    }
    return text;
}
