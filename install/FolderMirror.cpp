#include "install/FolderMirror.h"

#include <cstdint>
#include <vector>

#include "text/Cp932.h"

namespace {

bool IsMirrored(const platform::FolderEntry& entry) {
    return entry.name != "." && entry.name != ".." && !entry.isDirectory &&
           !cp932::EqualsNoCase(entry.name, "Thumbs.db");
}

// A target without a version resource that is newer than its source was edited on this
// machine: it is kept.
bool KeepsNewerTarget(const platform::Folder& target, const std::string& name,
                      const std::string& sourceFile) {
    if (platform::HasVersionResource(target, name)) {
        return false;
    }
    std::int64_t sourceTime = 0;
    std::int64_t targetTime = 0;
    platform::GetLastWriteSeconds(sourceFile, sourceTime);
    platform::GetLastWriteSeconds(target, name, targetTime);
    return targetTime > sourceTime;
}

}  // namespace

int CopyFolderFiles(const std::string& sourceFolder, const std::string& targetFolder) {
    platform::Folder target;
    platform::OpenFolder(targetFolder, target);
    InstallReport report;
    return CopyFolderFiles(sourceFolder, target, InstallOptions{}, report);
}

int CopyFolderFiles(const std::string& sourceFolder, const platform::Folder& target,
                    const InstallOptions& options, InstallReport& report) {
    std::vector<platform::FolderEntry> entries;
    if (!platform::ListFolder(sourceFolder, entries)) {
        return 1;
    }
    for (const platform::FolderEntry& entry : entries) {
        if (IsMirrored(entry) &&
            CopyFileIfNeeded(target, entry.name, platform::JoinPath(sourceFolder, entry.name),
                             options, report) == 0) {
            return 0;
        }
    }
    return 1;
}

int CopyFileIfNeeded(const std::string& targetFile, const std::string& sourceFile) {
    platform::Folder target;
    std::string name;
    platform::OpenFolderOf(targetFile, target, name);
    InstallReport report;
    return CopyFileIfNeeded(target, name, sourceFile, InstallOptions{}, report);
}

int CopyFileIfNeeded(const platform::Folder& target, const std::string& name,
                     const std::string& sourceFile, const InstallOptions& options,
                     InstallReport& report) {
    if (!target.IsOpen()) {
        return 0;
    }
    const std::string targetFile = target.PathOf(name);
    // Only a regular single-link file is ever kept or replaced: a link is neither.
    const platform::FileStatus present = platform::CheckRegularFile(target, name);
    if (present != platform::FileStatus::Ok && present != platform::FileStatus::Missing) {
        return 0;
    }
    if (present == platform::FileStatus::Ok && KeepsNewerTarget(target, name, sourceFile)) {
        report.AddStep(StepKind::KeepFile, targetFile);
        return 1;
    }
    const platform::FileStatus copied = options.dryRun
                                            ? platform::CheckCopyTarget(target, name)
                                            : platform::CopyFileInto(sourceFile, target, name);
    if (copied != platform::FileStatus::Ok) {
        return 0;
    }
    report.AddStep(StepKind::CopyFile, targetFile);
    return 1;
}
