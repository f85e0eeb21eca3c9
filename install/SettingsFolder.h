#pragma once
// Where the two drivers keep their settings. A candidate folder counts only when it and every
// folder between it and its base are real folders; it is then held open for the whole run.

#include <string>

#include "platform/Platform.h"

enum class FolderSearch {
    Found,
    Missing,          // no candidate is a real folder
    Busy,             // another program holds a folder of a candidate's chain: try again
    NoCommonAppData,  // the system could not name the application-data folder
};

struct SettingsFolder {
    platform::Folder folder;  // open when found
    std::string path;         // the folder found, or the last candidate tried
    // A folder of its chain that another user may have made (not an administrator, the
    // system or the user running the program): a weaker candidate. Empty when none is.
    std::string foreignFolder;
    // The same of a candidate passed over for a better one.
    std::string passedOverFolder;
    // Another candidate that is a real folder too, but not the one configured.
    std::string otherFolder;
};

// "%ProgramData%\Fujitsu\iCube\FTS".
FolderSearch FindPsipSettingsFolder(SettingsFolder& found);

// "%ProgramData%\Fujitsu\Fjtwain\FTS", else "%windir%\twain_32\fjscan32": the first whose
// chain only administrators made, else the first found at all (a driver may make its folders
// as the user who first uses it, so a weaker folder is never refused on that alone). A
// candidate another program holds is no reason to take the next: the search is busy.
FolderSearch FindTwainSettingsFolder(SettingsFolder& found);
