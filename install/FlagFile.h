#pragma once
// "Id.bin", the PaperStream IP driver's slot flags: a 1008-byte image whose byte 8 + n is
// the flag of slot n (0 to 999). Bytes 0 to 7 and the bytes beyond the image are the
// driver's and are kept as they are.

#include <cstdint>
#include <string>
#include <vector>

constexpr std::size_t kFlagImageSize = 1008;
constexpr std::int64_t kLastFlaggedSlot = 999;

bool HasFlagByte(std::int64_t slot);

// Sets the flag of each slot to 0xFF in the existing flag file. A shorter file comes back
// 1008 bytes long, zero-filled. False, with the file unchanged, when it cannot be opened for
// reading and writing, read or written, or a slot has no flag byte.
bool RaiseSlotFlags(const std::string& path, const std::vector<std::int64_t>& slots);
