#pragma once
// Where the two drivers keep their settings. A candidate folder counts only when it and every
// folder between it and its base are real folders; it is then held open for the whole run.

#include <string>

#include "platform/Platform.h"

enum class FolderSearch {
    Found,
    Missing,          // no candidate is a real folder
    NoCommonAppData,  // the system could not name the application-data folder
};

struct SettingsFolder {
    platform::Folder folder;  // open when found
    std::string path;         // the folder found, or the last candidate tried
};

// "%ProgramData%\Fujitsu\iCube\FTS".
FolderSearch FindPsipSettingsFolder(SettingsFolder& found);

// "%ProgramData%\Fujitsu\Fjtwain\FTS", else "%windir%\twain_32\fjscan32".
FolderSearch FindTwainSettingsFolder(SettingsFolder& found);
