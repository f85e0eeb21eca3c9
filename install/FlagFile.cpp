#include "install/FlagFile.h"

bool HasFlagByte(std::int64_t slot) {
    return slot >= 0 && slot <= kLastFlaggedSlot;
}

platform::FileStatus RaiseSlotFlags(const platform::Folder& folder,
                                    const std::vector<std::int64_t>& slots, bool dryRun) {
    std::string bytes;
    platform::FileIdentity identity;
    const platform::FileStatus read =
        platform::ReadFileForUpdate(folder, kFlagFileName, bytes, identity);
    if (read != platform::FileStatus::Ok) {
        return read;
    }
    if (bytes.size() < kFlagImageSize) {
        bytes.resize(kFlagImageSize, '\0');
    }
    for (const std::int64_t slot : slots) {
        if (!HasFlagByte(slot)) {
            return platform::FileStatus::IoError;
        }
        bytes[FlagOffset(slot)] = static_cast<char>(0xFF);
    }
    // The file written must be the file read: a file swapped in meanwhile is not replaced.
    return dryRun ? platform::CheckReplaceable(folder, kFlagFileName, &identity)
                  : platform::WriteFileReplacing(folder, kFlagFileName, bytes, &identity);
}
