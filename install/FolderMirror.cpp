#include "install/FolderMirror.h"

#include <cstdint>
#include <vector>

#include "platform/Platform.h"
#include "text/Cp932.h"

namespace {

bool IsMirrored(const platform::FolderEntry& entry) {
    return entry.name != "." && entry.name != ".." && !entry.isDirectory &&
           !cp932::EqualsNoCase(entry.name, "Thumbs.db");
}

// A target without a version resource that is newer than its source was edited on this
// machine: it is kept.
bool KeepsNewerTarget(const std::string& targetFile, const std::string& sourceFile) {
    if (!platform::FileExists(targetFile) || platform::HasVersionResource(targetFile)) {
        return false;
    }
    std::int64_t sourceTime = 0;
    std::int64_t targetTime = 0;
    platform::GetLastWriteSeconds(sourceFile, sourceTime);
    platform::GetLastWriteSeconds(targetFile, targetTime);
    return targetTime > sourceTime;
}

}  // namespace

int CopyFolderFiles(const std::string& sourceFolder, const std::string& targetFolder) {
    std::vector<platform::FolderEntry> entries;
    if (!platform::ListFolder(sourceFolder, entries)) {
        return 1;
    }
    for (const platform::FolderEntry& entry : entries) {
        if (IsMirrored(entry) &&
            CopyFileIfNeeded(platform::JoinPath(targetFolder, entry.name),
                             platform::JoinPath(sourceFolder, entry.name)) == 0) {
            return 0;
        }
    }
    return 1;
}

int CopyFileIfNeeded(const std::string& targetFile, const std::string& sourceFile) {
    if (KeepsNewerTarget(targetFile, sourceFile)) {
        return 1;
    }
    return platform::CopyFileOver(sourceFile, targetFile) ? 1 : 0;
}
