#pragma once
// Takes the passbook settings back off a driver, the installation in reverse: for each
// entry that carries the profile, the profile file that is the kit's, the slot's flag, and
// last the entry itself, so that a run cut short anywhere is completed by running again.

#include <string>

#include "install/InstallPlan.h"
#include "install/InstallReport.h"

// 0 success (also when nothing was registered: action Absent, nothing written); -1 failure.
int UninstallPsipSettings(const std::string& sourceFolder, const InstallOptions& options,
                          InstallReport& report);
int UninstallTwainSettings(const std::string& sourceFolder, const InstallOptions& options,
                           InstallReport& report);

// PaperStream IP: a slot's profile is removed when it is byte for byte the kit's, else kept
// with a warning; the slot's flag is lowered; an entry of the slots the installer fills
// (1 to 99) gets an empty value again, one beyond them (only added entries are) its line
// taken away.
void PlanPsipUninstall(const std::string& sourceFolder, const InstallOptions& options,
                       InstallPlan& plan);

// fi-series: every entry that carries the template gets an empty value again; the template
// file stays (unlisted, the driver does not offer it).
void PlanTwainUninstall(const InstallOptions& options, InstallPlan& plan);
