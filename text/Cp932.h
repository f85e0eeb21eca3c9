#pragma once
// Byte-level helpers for code page 932 (Shift-JIS) text.
//
// A double-byte character is a lead byte (0x81-0x9F, 0xE0-0xFC) followed by a valid
// trail byte (0x40-0x7E, 0x80-0xFC). Its trail byte may have the value of '[', ']' or '\\',
// so every search here steps over whole characters; a trail byte is never matched, trimmed
// or case-folded. A lead byte without a valid trail byte counts as a character of its own.

#include <cstddef>
#include <string>
#include <string_view>

namespace cp932 {

inline bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

inline bool IsTrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Length in bytes (1 or 2) of the character that starts at `pos`.
inline std::size_t CharLength(std::string_view text, std::size_t pos) {
    return pos + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[pos])) &&
                   IsTrailByte(static_cast<unsigned char>(text[pos + 1]))
               ? 2
               : 1;
}

// First position of the single-byte character `ch`, or npos.
std::size_t FindChar(std::string_view text, char ch);

// Last position of either of two single-byte characters, or npos.
std::size_t FindLastOf(std::string_view text, char first, char second);

// White space as the C locale knows it: space, \t, \n, \v, \f, \r.
inline bool IsSpace(char ch) {
    return ch == ' ' || (ch >= '\t' && ch <= '\r');
}

// `text` without white space at either end. No trail byte is ever white space.
std::string_view Trim(std::string_view text);

// Equality that folds ASCII letters of single-byte characters only.
bool EqualsNoCase(std::string_view left, std::string_view right);

// The text with the ASCII letters of single-byte characters lowered.
std::string FoldCase(std::string_view text);

// A hash that agrees with EqualsNoCase: texts equal under it hash alike.
std::size_t HashNoCase(std::string_view text);

}  // namespace cp932
