#pragma once
// Whether a driver already has the passbook settings: the installation's own plan, read
// without writing anything and without the exclusive use that installing takes, would change
// nothing, and nothing would stop it.

#include <string>
#include <vector>

#include "install/InstallReport.h"

struct InstallCheck {
    std::string settingsFolder;  // empty when none was found
    bool installed = false;
    std::string key;  // the entry's slot key; empty when there is no entry
    int flag = -1;    // PaperStream IP: the slot's byte in the flag file; -1 when unknown
    // What is missing or differs: "settings-folder", "list-file", "entry", "profile-file",
    // "flag", "template-file", "profile-set".
    std::vector<std::string> missing;
    FailureCause cause = FailureCause::None;  // what would stop the installation
    std::string failedFile;
    std::vector<std::string> warnings;  // UTF-8
};

InstallCheck CheckPsipInstalled(const std::string& sourceFolder);
InstallCheck CheckTwainInstalled(const std::string& sourceFolder);

// The check of a plan decided by reading shared.
InstallCheck CheckOfPlan(const InstallReport& plan, const std::string& templateFile);
