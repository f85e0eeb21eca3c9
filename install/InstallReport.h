#pragma once
// What an installation did and, when it failed, why: the one account of a run that the
// dialog, the console program and the tests all read.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Why an installation failed. Each cause has a stable code (FailureCode).
enum class FailureCause {
    None,
    SettingsFolderMissing,
    ListFileMissing,
    ListFileReadOnly,
    ListFileLocked,
    ListFileUnsafe,
    ListFileUnreadable,
    ListSectionMissing,
    NoFreeSlot,
    SlotOutOfRange,
    SlotKeyUnsafe,
    KitFileMissing,
    ProfileRenameFailed,
    FlagFileMissing,
    FlagFileReadOnly,
    FlagFileLocked,
    FlagFileUnsafe,
    FlagFileIo,
    SaveFailed,
    TemplateMissing,
    OutOfMemory,
    Unexpected,
};

// "list-file-locked" and so on; the same on every run and every system.
const char* FailureCode(FailureCause cause);

enum class StepKind {
    CopyFile,      // a file of the kit copied into the settings folder
    KeepFile,      // a newer file of the settings folder kept
    ReuseEntry,    // the entry that already carries the profile
    FillEntry,     // a free entry given the profile
    AppendEntry,   // a new entry added
    PlaceProfile,  // the kit's profile named after its slot
    RaiseFlag,     // a slot's flag raised in the flag file
    SaveList,      // the list file written
};

struct InstallStep {
    StepKind kind;
    std::string file;  // full path of the file the step writes or keeps
    std::string key;   // entries: the slot key
    std::int64_t slot = 0;
};

// How the profile came by its entry.
enum class SlotAction { None, Reused, Filled, Appended };

struct InstallReport {
    std::string settingsFolder;  // empty when none was found
    SlotAction action = SlotAction::None;
    std::string key;
    std::vector<InstallStep> steps;
    std::vector<std::string> warnings;
    FailureCause cause = FailureCause::None;
    std::string failedFile;  // full path; empty when the failure concerns no one file

    void AddStep(StepKind kind, const std::string& file, const std::string& key = std::string(),
                 std::int64_t slot = 0);
    bool HasStep(StepKind kind, const std::string& file) const;
    // Records the failure and gives the installer's result for it, -1.
    int Fail(FailureCause failure, const std::string& file);
};

struct InstallOptions {
    // Decide and report every step, but change nothing at all.
    bool dryRun = false;
    // Shows a warning and returns once it has been seen; by default a message box.
    std::function<void(const std::string& text)> warn;
};

// Shows the warning as the options say and records it.
void Warn(const InstallOptions& options, InstallReport& report, const std::string& text);

// Runs an installation, turning an exception that leaves it into a reported failure.
int RunReported(InstallReport& report, const std::function<int()>& install);
