#pragma once
// The fi-series TWAIN driver's planners. Installing copies the profile set and registers the
// template in "FTSLISTS.INI"; uninstalling gives every entry that carries the template an
// empty value again, and leaves the template file (unlisted, the driver does not offer it).

#include <string>

#include "install/InstallPlan.h"
#include "install/InstallReport.h"

constexpr char kTwainListFile[] = "FTSLISTS.INI";
constexpr char kTwainSection[] = "[TemplateLists]";
constexpr char kTemplateFile[] = "bkbook_multi.fts";

// 0 success; -1 failure.
int InstallTwainSettings(const std::string& sourceFolder, const InstallOptions& options,
                         InstallReport& report);
// 0 success (also when nothing was registered); -1 failure.
int UninstallTwainSettings(const InstallOptions& options, InstallReport& report);

void PlanTwainInstall(InstallPlan& plan);
void PlanTwainUninstall(InstallPlan& plan);
