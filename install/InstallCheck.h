#pragma once
// Whether a driver already has the passbook settings, read without writing anything and
// without the exclusive use that installing takes: the profile's entry is in the list file,
// and the file the entry names is byte for byte the kit's.

#include <string>
#include <vector>

#include "install/InstallReport.h"

struct InstallCheck {
    std::string settingsFolder;  // empty when none was found
    bool installed = false;
    std::string key;  // the entry's slot key; empty when there is no entry
    int flag = -1;    // PaperStream IP: the slot's byte in the flag file; -1 when unknown
    // What is missing or differs: "settings-folder", "list-file", "entry", "profile-file",
    // "template-file".
    std::vector<std::string> missing;
    FailureCause cause = FailureCause::None;  // why a file could not be read
    std::string failedFile;
};

InstallCheck CheckPsipInstalled(const std::string& sourceFolder);
InstallCheck CheckTwainInstalled(const std::string& sourceFolder);
