#include "install/SettingsFolder.h"

#include <vector>

namespace {

FolderSearch OpenCandidate(const std::string& base, const std::vector<std::string>& names,
                           SettingsFolder& found) {
    found.path = base;
    for (const std::string& name : names) {
        found.path = platform::JoinPath(found.path, name);
    }
    const platform::FileStatus status =
        platform::OpenFolderBeneath(base, names, found.folder, found.foreignFolder);
    return status == platform::FileStatus::Ok       ? FolderSearch::Found
           : status == platform::FileStatus::Locked ? FolderSearch::Busy
                                                    : FolderSearch::Missing;
}

FolderSearch OpenFallbackTwainFolder(SettingsFolder& fallback) {
    std::string windowsFolder;
    if (!platform::GetEnvironmentText("windir", windowsFolder) || windowsFolder.empty()) {
        return FolderSearch::Missing;
    }
    return OpenCandidate(windowsFolder, {"twain_32", "fjscan32"}, fallback);
}

// The search's result with `chosen` in `found`, the other candidate named when it is a real
// folder that is not passed over already.
FolderSearch Choose(FolderSearch result, SettingsFolder& chosen, const SettingsFolder& other,
                    FolderSearch otherResult, SettingsFolder& found) {
    if (result == FolderSearch::Found && otherResult == FolderSearch::Found &&
        chosen.passedOverFolder.empty()) {
        chosen.otherFolder = other.path;
    }
    found = std::move(chosen);
    return result;
}

}  // namespace

FolderSearch FindPsipSettingsFolder(SettingsFolder& found) {
    std::string commonAppData;
    if (!platform::GetCommonAppDataFolder(commonAppData)) {
        return FolderSearch::NoCommonAppData;
    }
    return OpenCandidate(commonAppData, {"Fujitsu", "iCube", "FTS"}, found);
}

FolderSearch FindTwainSettingsFolder(SettingsFolder& found) {
    std::string commonAppData;
    if (!platform::GetCommonAppDataFolder(commonAppData)) {
        return FolderSearch::NoCommonAppData;
    }
    SettingsFolder first;
    const FolderSearch firstResult =
        OpenCandidate(commonAppData, {"Fujitsu", "Fjtwain", "FTS"}, first);
    SettingsFolder fallback;
    const FolderSearch fallbackResult = firstResult == FolderSearch::Busy
                                            ? FolderSearch::Missing
                                            : OpenFallbackTwainFolder(fallback);
    if (firstResult == FolderSearch::Busy || fallbackResult == FolderSearch::Busy) {
        // Which candidate is the better cannot be told while one is held.
        return Choose(FolderSearch::Busy, firstResult == FolderSearch::Busy ? first : fallback,
                      first, FolderSearch::Missing, found);
    }
    const bool firstFound = firstResult == FolderSearch::Found;
    if (firstFound && first.foreignFolder.empty()) {
        return Choose(FolderSearch::Found, first, fallback, fallbackResult, found);
    }
    if (fallbackResult == FolderSearch::Found && (fallback.foreignFolder.empty() || !firstFound)) {
        fallback.passedOverFolder = first.foreignFolder;
        return Choose(FolderSearch::Found, fallback, first, firstResult, found);
    }
    // Both weaker: the first, as it always came first. Neither: the fallback, as last tried.
    return firstFound ? Choose(FolderSearch::Found, first, fallback, fallbackResult, found)
                      : Choose(FolderSearch::Missing, fallback.path.empty() ? first : fallback,
                               first, firstResult, found);
}
