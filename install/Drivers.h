#pragma once
// The drivers this tool serves, one row each. What else differs between them lies in each
// driver's planner file.

#include <string>
#include <string_view>
#include <vector>

#include "install/InstallReport.h"
#include "install/SettingsFolder.h"

class InstallPlan;

// Decides every step of a run on a plan, and where it stops.
using Planner = void (*)(InstallPlan& plan);

struct Driver {
    const char* code;         // on the command line and in reports: "psip"
    const char* label;        // for people: "PaperStream IP"
    const char* description;  // for the usage text
    const char* kitFolder;    // the kit's folder of its profile set
    // Finds the settings folders and holds them open, the one to install in first.
    FolderSearcher findSettingsFolders;
    const char* folderMissing;  // the warning when there is none, as the dialog shows it
    Planner planInstall;
    Planner planUninstall;
    // The kit file whose place in the settings folder marks the driver installed, and the
    // name it has there for an entry's key.
    const char* markerFile;
    std::string (*placedName)(const std::string& key);
};

extern const Driver kPsipDriver;
extern const Driver kTwainDriver;

// Every driver, in the order the dialog offers them and `auto` takes them.
const std::vector<const Driver*>& AllDrivers();
// The driver of a code; null for none.
const Driver* FindDriver(std::string_view code);
// The dialog's choice: 0 the first driver, any other the second.
const Driver& DriverOfChoice(int choice);

// Plans a run of the driver for `purpose` with the kit's profile set in `kitSource`, then, but
// for a dry run or a check, carries it out. The report is the plan's, with what was done; the
// result is the installer's, 0 or -1. An exception that leaves the run is a reported failure.
int RunDriver(const Driver& driver, PlanPurpose purpose, const std::string& kitSource,
              const InstallOptions& options, InstallReport& report);
