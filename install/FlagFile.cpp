#include "install/FlagFile.h"

#include "ini/SlotNumber.h"

bool HasFlagByte(std::int64_t slot) {
    return slot >= 0 && slot <= kLastFlaggedSlot;
}

std::optional<std::int64_t> FlaggedSlotOf(const std::string& key) {
    return SlotNumberOf(key);
}

int FlagByteOf(const std::string& bytes, std::int64_t slot) {
    if (!HasFlagByte(slot)) {
        return -1;
    }
    return FlagOffset(slot) < bytes.size() ? static_cast<unsigned char>(bytes[FlagOffset(slot)])
                                           : 0;
}

std::string WithFlagsRaised(std::string bytes, const std::vector<std::int64_t>& slots) {
    if (bytes.size() < kFlagImageSize) {
        bytes.resize(kFlagImageSize, '\0');
    }
    for (const std::int64_t slot : slots) {
        if (HasFlagByte(slot)) {
            bytes[FlagOffset(slot)] = static_cast<char>(kFlagRaised);
        }
    }
    return bytes;
}

std::string WithFlagsLowered(std::string bytes, const std::vector<std::int64_t>& slots) {
    for (const std::int64_t slot : slots) {
        if (HasFlagByte(slot) && FlagOffset(slot) < bytes.size()) {
            bytes[FlagOffset(slot)] = '\0';
        }
    }
    return bytes;
}

platform::FileStatus ReadFlagFile(const InstallPlan& plan, bool forUpdate, std::string& bytes,
                                  platform::FileIdentity& identity) {
    const platform::Folder& folder = plan.settings.folder;
    const platform::FileStatus read =
        platform::ReadFileShared(folder, kFlagFileName, kFlagFileLimit, bytes, identity);
    if (read != platform::FileStatus::Ok || !forUpdate) {
        return read;
    }
    return plan.MayWrite(
        [&] { return platform::CheckReplaceable(folder, kFlagFileName, &identity); });
}
