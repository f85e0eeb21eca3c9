#include "platform/TemporaryName.h"

namespace platform {

namespace {

constexpr std::string_view kInfix = ".~brenwick-";
constexpr std::string_view kSuffix = ".tmp";
constexpr std::size_t kDigits = 16;

bool IsHexDigit(char ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f');
}

}  // namespace

std::string TemporaryNameFor(std::string_view target, std::uint64_t random) {
    static const char kHex[] = "0123456789abcdef";
    std::string name(target);
    name += kInfix;
    for (int shift = 60; shift >= 0; shift -= 4) {
        name += kHex[(random >> shift) & 0xF];
    }
    name += kSuffix;
    return name;
}

bool IsTemporaryNameFor(std::string_view name, std::string_view target) {
    const std::size_t size = target.size() + kInfix.size() + kDigits + kSuffix.size();
    if (name.size() != size || name.substr(0, target.size()) != target ||
        name.substr(target.size(), kInfix.size()) != kInfix ||
        name.substr(size - kSuffix.size()) != kSuffix) {
        return false;
    }
    const std::string_view digits = name.substr(target.size() + kInfix.size(), kDigits);
    for (const char ch : digits) {
        if (!IsHexDigit(ch)) {
            return false;
        }
    }
    return true;
}

bool IsTemporaryName(std::string_view name) {
    const std::size_t tail = kInfix.size() + kDigits + kSuffix.size();
    return name.size() > tail && IsTemporaryNameFor(name, name.substr(0, name.size() - tail));
}

}  // namespace platform
