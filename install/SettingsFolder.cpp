#include "install/SettingsFolder.h"

#include <algorithm>
#include <tuple>

#include "ini/INIRead.h"
#include "install/FileLimits.h"
#include "install/TwainSettings.h"

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

// What a fi-series candidate holds, as the choice weighs it; a greater one is the better.
struct Standing {
    bool trusted;     // no folder of its chain made by another user
    bool registered;  // its list carries the template
    bool hasList;     // a list file stands there, readable or not
    bool operator>(const Standing& other) const {
        return std::tie(trusted, registered, hasList) >
               std::tie(other.trusted, other.registered, other.hasList);
    }
};

Standing StandingOf(const SettingsFolder& candidate) {
    CINIRead list;
    const bool loaded = list.LoadShared(candidate.folder, kTwainListFile, kListFileLimit) == 0;
    // A list that cannot be read is there all the same: the run then says why it fails.
    const bool hasList = loaded || list.LastFileStatus() != platform::FileStatus::Missing;
    const bool registered = loaded && !list.FindValueEntries(kTwainSection, kTemplateFile).empty();
    return Standing{candidate.foreignFolder.empty(), registered, hasList};
}

FolderChoice ChoiceOf(const Standing& chosen, const Standing& other) {
    return chosen.registered != other.registered ? FolderChoice::Registered
           : chosen.hasList != other.hasList     ? FolderChoice::HasList
                                                 : FolderChoice::Order;
}

FolderSearch Only(FolderSearch result, SettingsFolder candidate,
                  std::vector<SettingsFolder>& found) {
    found.clear();
    found.push_back(std::move(candidate));
    return result;
}

}  // namespace

FolderSearch FindPsipSettingsFolders(std::vector<SettingsFolder>& found) {
    std::string commonAppData;
    if (!platform::GetCommonAppDataFolder(commonAppData)) {
        return Only(FolderSearch::NoCommonAppData, SettingsFolder{}, found);
    }
    SettingsFolder folder;
    const FolderSearch result = OpenCandidate(commonAppData, {"Fujitsu", "iCube", "FTS"}, folder);
    return Only(result, std::move(folder), found);
}

FolderSearch FindTwainSettingsFolders(std::vector<SettingsFolder>& found) {
    std::string commonAppData;
    if (!platform::GetCommonAppDataFolder(commonAppData)) {
        return Only(FolderSearch::NoCommonAppData, SettingsFolder{}, found);
    }
    SettingsFolder first;
    const FolderSearch firstResult =
        OpenCandidate(commonAppData, {"Fujitsu", "Fjtwain", "FTS"}, first);
    if (firstResult == FolderSearch::Busy) {
        // Which candidate is the better cannot be told while one is held.
        return Only(FolderSearch::Busy, std::move(first), found);
    }
    SettingsFolder fallback;
    const FolderSearch fallbackResult = OpenFallbackTwainFolder(fallback);
    if (fallbackResult == FolderSearch::Busy) {
        return Only(FolderSearch::Busy, std::move(fallback), found);
    }
    const bool firstFound = firstResult == FolderSearch::Found;
    if (!firstFound && fallbackResult != FolderSearch::Found) {
        // Neither: the fallback, as last tried.
        return Only(FolderSearch::Missing,
                    fallback.path.empty() ? std::move(first) : std::move(fallback), found);
    }
    if (!firstFound || fallbackResult != FolderSearch::Found) {
        SettingsFolder& only = firstFound ? first : fallback;
        only.passedOverFolder = firstFound ? std::string() : first.foreignFolder;
        return Only(FolderSearch::Found, std::move(only), found);
    }
    const Standing firstStanding = StandingOf(first);
    const Standing fallbackStanding = StandingOf(fallback);
    found.clear();
    if (fallbackStanding > firstStanding) {
        if (fallbackStanding.trusted != firstStanding.trusted) {
            fallback.passedOverFolder = first.foreignFolder;
        } else {
            fallback.otherFolder = first.path;
            fallback.choice = ChoiceOf(fallbackStanding, firstStanding);
        }
        found.push_back(std::move(fallback));
        found.push_back(std::move(first));
    } else {
        first.otherFolder = fallback.path;
        first.choice = ChoiceOf(firstStanding, fallbackStanding);
        found.push_back(std::move(first));
        found.push_back(std::move(fallback));
    }
    return FolderSearch::Found;
}
