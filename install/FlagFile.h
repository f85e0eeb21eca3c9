#pragma once
// "Id.bin", the PaperStream IP driver's slot flags: a 1008-byte image whose byte 8 + n is
// the flag of slot n (0 to 999). Bytes 0 to 7 and the bytes beyond the image are the
// driver's and are kept as they are.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ini/SlotNumber.h"
#include "install/FileLimits.h"
#include "install/InstallPlan.h"
#include "platform/Platform.h"

constexpr char kFlagFileName[] = "Id.bin";
constexpr std::size_t kFlagImageSize = 1008;
constexpr std::int64_t kLastFlaggedSlot = kLastSlotNumber;
constexpr unsigned char kFlagRaised = 0xFF;

bool HasFlagByte(std::int64_t slot);

// The slot a key stands for: a key of decimal digits alone whose number has a flag byte. None
// for any other key, whose flag is never raised, required or lowered.
std::optional<std::int64_t> FlaggedSlotOf(const std::string& key);

// The offset of a slot's flag byte in the file.
constexpr std::size_t FlagOffset(std::int64_t slot) {
    return 8 + static_cast<std::size_t>(slot);
}

// The slot's flag byte in the file's bytes; 0 where the file does not reach it, -1 for a
// slot without one.
int FlagByteOf(const std::string& bytes, std::int64_t slot);

// The file's bytes with the flag of each slot raised; a shorter file comes back 1008 bytes
// long, zero-filled.
std::string WithFlagsRaised(std::string bytes, const std::vector<std::int64_t>& slots);

// The file's bytes with the flag of each slot lowered; its length stays.
std::string WithFlagsLowered(std::string bytes, const std::vector<std::int64_t>& slots);

// The plan's flag file, read whole as any reader may; for an update, a plan that writes then
// makes sure the file it read may be replaced.
platform::FileStatus ReadFlagFile(const InstallPlan& plan, bool forUpdate, std::string& bytes,
                                  platform::FileIdentity& identity);
