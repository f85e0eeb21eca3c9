#pragma once
// Slot numbers and the keys that stand for them ("01", "000007").

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The leading decimal number of a text, as atoi reads it (blanks, a sign, digits; 0 when
// there is none), but saturated instead of overflowing on any text a file can hold.
std::int64_t LeadingNumber(std::string_view text);

// The number of a key made of decimal digits alone (blanks around it aside), held at the
// largest value instead of overflowing; none for a key with anything else in it, or empty.
std::optional<std::int64_t> KeyNumber(std::string_view key);

// The highest slot number a list can have: "Id.bin" holds a flag for slots 0 to 999.
constexpr std::int64_t kLastSlotNumber = 999;

// The slot a key stands for: its number (blanks around it and leading zeros aside, so that
// "2", " 000002" and "000002 " are one slot) when that is at most kLastSlotNumber; none for
// any other key.
std::optional<std::int64_t> SlotNumberOf(std::string_view key);

// `number` plus one, held at the largest value instead of overflowing.
std::int64_t NextNumber(std::int64_t number);

// `number` in decimal, zero-padded to `width` characters as "%0*d" pads it.
std::string FormatSlotKey(std::int64_t number, int width);

// The keys of the slots `first` to `last`, in order, each formatted as above.
std::vector<std::string> SlotKeys(std::int64_t first, std::int64_t last, int width);
