#pragma once
// What a run did, or (a dry run, a check) would do, and, when it failed, why: the one account
// of a run that the dialog, the console program and the tests all read.

#include <functional>
#include <string>
#include <vector>

#include "install/Failures.h"
#include "install/Steps.h"

// What a run is for.
enum class PlanPurpose { Install, Uninstall, Check };

// How the profile came by its entry, or (uninstall) what became of it.
enum class SlotAction { None, Reused, Filled, Appended, Removed, Absent };

// "reused", "filled", ...; the same on every run and every system.
const char* ActionCode(SlotAction action);

struct InstallReport {
    PlanPurpose purpose = PlanPurpose::Install;
    bool applied = false;        // carried out: neither a dry run nor a check
    std::string settingsFolder;  // empty when none was found
    // The full path of the file whose place marks the driver installed; empty with no folder.
    std::string markerFile;
    SlotAction action = SlotAction::None;
    std::string key;
    std::vector<InstallStep> steps;
    std::vector<std::string> warnings;  // UTF-8
    FailureCause cause = FailureCause::None;
    std::string failedFile;  // full path; empty when the failure concerns no one file
    int flag = -1;           // PaperStream IP: the slot's flag byte as found; -1 unknown
    // A check's inventory of a registered entry: the file that holds the installed profile or
    // template, and the SHA-256 of it and of the kit's (each empty when it could not be read).
    struct Inventory {
        std::string file;  // full path; empty when nothing is registered
        std::string sha256;
        std::string kitSha256;
    } inventory;

    void AddStep(StepKind kind, const std::string& file, const std::string& key = std::string(),
                 std::int64_t slot = 0);
    bool HasStep(StepKind kind) const;
    // Whether any step writes a file: false when the run has nothing to do.
    bool Writes() const;
    // Records the failure and gives the installer's result for it, -1.
    int Fail(FailureCause failure, const std::string& file);
    // The installer's result: 0, or -1 with the cause recorded.
    int Result() const { return cause == FailureCause::None ? 0 : -1; }
    // Whether the settings are in place once the run is over; for a plan not carried out (a
    // dry run, a check), whether they are now.
    bool Installed() const;
    // What is missing or differs, as a check names the pieces: "settings-folder",
    // "list-file", "entry", "profile-file", "flag", "template-file", "profile-set", "owner"
    // (a file with the kit's bytes that another user owns).
    std::vector<std::string> MissingPieces() const;
};

using Warning = std::function<void(const std::string& text)>;

struct InstallOptions {
    // Every run says where its warnings go: the dialog to a message box, the console program
    // to standard error.
    explicit InstallOptions(Warning shown, Warning noticed = nullptr)
        : warn(std::move(shown)), notice(std::move(noticed)) {}

    // Decide and report every step, but change nothing at all.
    bool dryRun = false;
    // Put the kit's copy back over a newer file of the settings folder, which is otherwise
    // kept: a return to an earlier kit.
    bool rollback = false;
    // Shows the warning that the dialog shows in a box, and returns once it has been seen.
    Warning warn;
    // Hands on a warning that the dialog leaves to the report alone; null for none.
    Warning notice;
};

// Runs an installation, turning an exception that leaves it into a reported failure.
int RunReported(InstallReport& report, const std::function<int()>& install);
