#include "install/SettingsFolder.h"

#include <vector>

namespace {

bool OpenCandidate(const std::string& base, const std::vector<std::string>& names,
                   SettingsFolder& found) {
    found.path = base;
    for (const std::string& name : names) {
        found.path = platform::JoinPath(found.path, name);
    }
    return platform::OpenFolderBeneath(base, names, found.folder, found.foreignFolder) ==
           platform::FileStatus::Ok;
}

}  // namespace

FolderSearch FindPsipSettingsFolder(SettingsFolder& found) {
    std::string commonAppData;
    if (!platform::GetCommonAppDataFolder(commonAppData)) {
        return FolderSearch::NoCommonAppData;
    }
    return OpenCandidate(commonAppData, {"Fujitsu", "iCube", "FTS"}, found) ? FolderSearch::Found
                                                                            : FolderSearch::Missing;
}

FolderSearch FindTwainSettingsFolder(SettingsFolder& found) {
    std::string commonAppData;
    if (!platform::GetCommonAppDataFolder(commonAppData)) {
        return FolderSearch::NoCommonAppData;
    }
    SettingsFolder first;
    const bool firstFound = OpenCandidate(commonAppData, {"Fujitsu", "Fjtwain", "FTS"}, first);
    if (firstFound && first.foreignFolder.empty()) {
        found = std::move(first);
        return FolderSearch::Found;
    }
    std::string windowsFolder;
    if (!platform::GetEnvironmentText("windir", windowsFolder) || windowsFolder.empty()) {
        found = std::move(first);
        return firstFound ? FolderSearch::Found : FolderSearch::Missing;
    }
    SettingsFolder fallback;
    const bool fallbackFound = OpenCandidate(windowsFolder, {"twain_32", "fjscan32"}, fallback);
    if (fallbackFound && (fallback.foreignFolder.empty() || !firstFound)) {
        fallback.passedOverFolder = first.foreignFolder;
        found = std::move(fallback);
        return FolderSearch::Found;
    }
    // Both weaker: the first, as it always came first. Neither: the fallback, as last tried.
    found = std::move(firstFound ? first : fallback);
    return firstFound ? FolderSearch::Found : FolderSearch::Missing;
}
