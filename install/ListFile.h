#pragma once
// Loading and saving a driver's list file within an installation, with the cause of a
// failure reported.

#include <string>

#include "ini/INIRead.h"
#include "install/InstallReport.h"
#include "platform/Platform.h"

// The cause that a list file's read failure is reported as.
FailureCause ListFileFailureCause(platform::FileStatus status);

// 0 loaded; else the reported failure's -1.
int LoadListFile(CINIRead& list, const platform::Folder& folder, const std::string& name,
                 InstallReport& report);

// 0 saved (with options.dryRun: would be saved); else the reported failure's -1.
int SaveListFile(CINIRead& list, const platform::Folder& folder, const std::string& name,
                 const InstallOptions& options, InstallReport& report);
