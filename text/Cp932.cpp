#include "text/Cp932.h"

#include <cstdint>

namespace cp932 {

namespace {

char LowerAscii(char ch) {
    return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
}

}  // namespace

std::size_t FindChar(std::string_view text, char ch) {
    // The first byte of that value is the character itself unless a double-byte character
    // stands before it; only then are the characters walked one by one.
    const std::size_t candidate = text.find(ch);
    if (candidate == std::string_view::npos) {
        return candidate;
    }
    bool singleBytesOnly = true;
    for (std::size_t pos = 0; pos < candidate; ++pos) {
        singleBytesOnly = singleBytesOnly && static_cast<unsigned char>(text[pos]) < 0x81;
    }
    if (singleBytesOnly) {
        return candidate;
    }
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) {
        if (text[pos] == ch) {
            return pos;
        }
    }
    return std::string_view::npos;
}

std::size_t FindLastOf(std::string_view text, char first, char second) {
    std::size_t found = std::string_view::npos;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) {
        if (text[pos] == first || text[pos] == second) {
            found = pos;
        }
    }
    return found;
}

std::string_view Trim(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsSpace(text[begin])) {
        ++begin;
    }
    std::size_t end = text.size();
    while (end > begin && IsSpace(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

bool EqualsNoCase(std::string_view left, std::string_view right) {
    if (left.size() != right.size()) {
        return false;
    }
    for (std::size_t pos = 0; pos < left.size();) {
        const std::size_t length = CharLength(left, pos);
        if (length == 2) {
            if (left[pos] != right[pos] || left[pos + 1] != right[pos + 1]) {
                return false;
            }
        } else if (LowerAscii(left[pos]) != LowerAscii(right[pos])) {
            return false;
        }
        pos += length;
    }
    return true;
}

std::string FoldCase(std::string_view text) {
    std::string folded(text);
    for (std::size_t pos = 0; pos < folded.size();) {
        const std::size_t length = CharLength(folded, pos);
        if (length == 1) {
            folded[pos] = LowerAscii(folded[pos]);
        }
        pos += length;
    }
    return folded;
}

std::size_t HashNoCase(std::string_view text) {
    // FNV-1a over the bytes with single-byte letters lowered.
    std::uint64_t hash = 14695981039346656037ull;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length =
            static_cast<unsigned char>(text[pos]) < 0x81 ? 1 : CharLength(text, pos);
        const char first = length == 1 ? LowerAscii(text[pos]) : text[pos];
        hash = (hash ^ static_cast<unsigned char>(first)) * 1099511628211ull;
        if (length == 2) {
            hash = (hash ^ static_cast<unsigned char>(text[pos + 1])) * 1099511628211ull;
        }
        pos += length;
    }
    return static_cast<std::size_t>(hash);
}

}  // namespace cp932
