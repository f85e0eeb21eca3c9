#pragma once
// The console program's command line:
//
//   BrenwickCli install (psip | twain | auto) [--source KIT] [--dry-run] [--rollback]
//                       [--log FILE] [--json]
//   BrenwickCli check   (psip | twain | auto) [--source KIT] [--rollback] [--log FILE] [--json]
//   BrenwickCli uninstall (psip | twain | auto) [--source KIT] [--dry-run] [--log FILE] [--json]
//   BrenwickCli --help | --version

#include <string>
#include <vector>

#include "install/Drivers.h"

enum class CliCommand { Install, Check, Uninstall, Help, Version };

struct CliOptions {
    CliCommand command = CliCommand::Help;
    const Driver* driver = nullptr;  // null: auto, every driver whose settings folder is there
    std::string source;              // empty: the folder of the executable
    bool dryRun = false;
    bool rollback = false;  // the kit's copies over newer files too (install, check)
    std::string logPath;    // empty: no log
    bool json = false;
};

// True when the arguments (without the program's name) were understood; else `error` says
// what was not, in UTF-8.
bool ParseCommandLine(const std::vector<std::string>& arguments, CliOptions& options,
                      std::string& error);

// The usage text, in UTF-8.
std::string UsageText();
