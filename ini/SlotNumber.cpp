#include "ini/SlotNumber.h"

#include <limits>

#include "text/Cp932.h"

std::int64_t LeadingNumber(std::string_view text) {
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max();
    std::size_t pos = 0;
    while (pos < text.size() && cp932::IsSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    std::int64_t magnitude = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        const int digit = text[pos] - '0';
        const bool overflows =
            magnitude > kLimit / 10 || (magnitude == kLimit / 10 && digit > kLimit % 10);
        magnitude = overflows ? kLimit : magnitude * 10 + digit;
    }
    return negative ? -magnitude : magnitude;
}

std::optional<std::int64_t> KeyNumber(std::string_view key) {
    const std::string_view digits = cp932::Trim(key);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    return LeadingNumber(digits);
}

std::optional<std::int64_t> SlotNumberOf(std::string_view key) {
    const std::optional<std::int64_t> number = KeyNumber(key);
    return number && *number <= kLastSlotNumber ? number : std::nullopt;
}

std::int64_t NextNumber(std::int64_t number) {
    return number == std::numeric_limits<std::int64_t>::max() ? number : number + 1;
}

std::string FormatSlotKey(std::int64_t number, int width) {
    // LeadingNumber never yields the one value whose magnitude does not fit.
    const bool negative = number < 0;
    std::string digits = std::to_string(negative ? -number : number);
    const std::size_t room = static_cast<std::size_t>(width) - (negative ? 1 : 0);
    if (width > 0 && digits.size() < room) {
        digits.insert(0, room - digits.size(), '0');
    }
    return negative ? "-" + digits : digits;
}

std::vector<std::string> SlotKeys(std::int64_t first, std::int64_t last, int width) {
    std::vector<std::string> keys;
    for (std::int64_t number = first; number <= last; ++number) {
        keys.push_back(FormatSlotKey(number, width));
    }
    return keys;
}
