#include "install/SettingsFolder.h"

#include <vector>

namespace {

bool OpenCandidate(const std::string& base, const std::vector<std::string>& names,
                   SettingsFolder& found) {
    found.path = base;
    for (const std::string& name : names) {
        found.path = platform::JoinPath(found.path, name);
    }
    return platform::OpenFolderBeneath(base, names, found.folder) == platform::FileStatus::Ok;
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
    if (OpenCandidate(commonAppData, {"Fujitsu", "Fjtwain", "FTS"}, found)) {
        return FolderSearch::Found;
    }
    std::string windowsFolder;
    if (!platform::GetEnvironmentText("windir", windowsFolder) || windowsFolder.empty()) {
        return FolderSearch::Missing;
    }
    return OpenCandidate(windowsFolder, {"twain_32", "fjscan32"}, found) ? FolderSearch::Found
                                                                         : FolderSearch::Missing;
}
