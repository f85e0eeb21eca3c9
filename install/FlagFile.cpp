#include "install/FlagFile.h"

#include "platform/Platform.h"

bool HasFlagByte(std::int64_t slot) {
    return slot >= 0 && slot <= kLastFlaggedSlot;
}

bool RaiseSlotFlags(const std::string& path, const std::vector<std::int64_t>& slots) {
    std::string bytes;
    if (!platform::ReadFileForUpdate(path, bytes)) {
        return false;
    }
    if (bytes.size() < kFlagImageSize) {
        bytes.resize(kFlagImageSize, '\0');
    }
    for (const std::int64_t slot : slots) {
        if (!HasFlagByte(slot)) {
            return false;
        }
        bytes[8 + static_cast<std::size_t>(slot)] = static_cast<char>(0xFF);
    }
    return platform::WriteFileReplacing(path, bytes);
}
