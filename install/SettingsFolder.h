#pragma once
// Where the two drivers keep their settings. A candidate folder counts only when it and every
// folder between it and its base are real folders; it is then held open for the whole run.

#include <string>
#include <vector>

#include "platform/Platform.h"

enum class FolderSearch {
    Found,
    Missing,          // no candidate is a real folder
    Busy,             // another program holds a folder of a candidate's chain: try again
    NoCommonAppData,  // the system could not name the application-data folder
};

// Why a candidate came before the other one, which is a real folder too.
enum class FolderChoice {
    Order,       // both alike: the first candidate, as ever
    Registered,  // its list carries the profile already, the other's does not
    HasList,     // it holds the list file, the other does not
};

struct SettingsFolder {
    platform::Folder folder;  // open when found
    std::string path;         // the folder found, or the last candidate tried
    // A folder of its chain that another user may have made (not an administrator, the
    // system or the user running the program): a weaker candidate. Empty when none is.
    std::string foreignFolder;
    // The same of a candidate passed over for a better one.
    std::string passedOverFolder;
    // Another candidate that is a real folder too, but not the one configured, and why.
    std::string otherFolder;
    FolderChoice choice = FolderChoice::Order;
};

// Every candidate of a driver that is a real folder, each held open, best first: the first
// is the one an installation and a check work in, and names the others; a removal works in
// each, as an entry of the profile may live in any. Found with at least one folder; else one
// (not open) that names the candidate the result is about.
using FolderSearcher = FolderSearch (*)(std::vector<SettingsFolder>& found);

// "%ProgramData%\Fujitsu\iCube\FTS".
FolderSearch FindPsipSettingsFolders(std::vector<SettingsFolder>& found);

// "%ProgramData%\Fujitsu\Fjtwain\FTS" and "%windir%\twain_32\fjscan32", ranked: a chain
// only administrators made first (a driver may make its folders as the user who first uses
// it, so a weaker folder is never refused on that alone), then one whose list carries the
// template, then one that holds the list file, then the order above. A candidate another
// program holds is no reason to take the next: the search is busy.
FolderSearch FindTwainSettingsFolders(std::vector<SettingsFolder>& found);
