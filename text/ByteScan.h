#pragma once
// Searches over a whole loaded text for the few byte patterns the line store looks for, 16
// bytes at a time where the processor allows. They compare bytes, not characters: a hit may
// lie inside a double-byte character or span lines, so callers judge each hit by the line it
// lies in. Every function returns npos when nothing is found at or after `from`.

#include <cstddef>
#include <string_view>

namespace bytescan {

constexpr std::size_t npos = std::string_view::npos;

// A line feed with no carriage return directly before it (the first byte has none).
std::size_t FindBareLineFeed(std::string_view text, std::size_t from);

// The first place of either: `byte`, or a bare line feed.
std::size_t FindByteOrBareLineFeed(std::string_view text, std::size_t from, char byte);

// An '=' directly followed by the end or by a byte no greater than the space, as an unsigned
// byte: a blank (space, \t to \r, so also a line feed) or another control byte.
std::size_t FindEqualsBeforeSpaceOrControl(std::string_view text, std::size_t from);

// Where `needle` (not empty) stands, with the ASCII letters of every byte compared without
// case: never misses a place that cp932::EqualsNoCase would match.
std::size_t FindFolded(std::string_view text, std::size_t from, std::string_view needle);

}  // namespace bytescan
