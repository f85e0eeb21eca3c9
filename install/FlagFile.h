#pragma once
// "Id.bin", the PaperStream IP driver's slot flags: a 1008-byte image whose byte 8 + n is
// the flag of slot n (0 to 999). Bytes 0 to 7 and the bytes beyond the image are the
// driver's and are kept as they are.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"

constexpr char kFlagFileName[] = "Id.bin";
constexpr std::size_t kFlagImageSize = 1008;
constexpr std::int64_t kLastFlaggedSlot = 999;

bool HasFlagByte(std::int64_t slot);

// The offset of a slot's flag byte in the file.
constexpr std::size_t FlagOffset(std::int64_t slot) {
    return 8 + static_cast<std::size_t>(slot);
}

// Sets the flag of each slot to 0xFF in the existing flag file of the folder. A shorter file
// comes back 1008 bytes long, zero-filled. Fails, with the file unchanged, when it cannot be
// read for update or written, was replaced in between, or a slot has no flag byte. With
// `dryRun` the file is read and checked but not written.
platform::FileStatus RaiseSlotFlags(const platform::Folder& folder,
                                    const std::vector<std::int64_t>& slots, bool dryRun);
