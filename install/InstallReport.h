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
    ListFileTooLarge,
    ListSectionMissing,
    NoFreeSlot,
    SlotOutOfRange,
    SlotKeyUnsafe,
    KitFileMissing,
    KitFileUnreadable,
    KitFileTooLarge,
    ProfileRenameFailed,
    ProfileFileLocked,
    ProfileRemoveFailed,
    CopyFailed,
    CopyTargetLocked,
    FlagFileMissing,
    FlagFileReadOnly,
    FlagFileLocked,
    FlagFileUnsafe,
    FlagFileIo,
    FlagFileTooLarge,
    SaveFailed,
    FileChanged,
    TemplateMissing,
    OutOfMemory,
    Unexpected,
};

// "list-file-locked" and so on; the same on every run and every system.
const char* FailureCode(FailureCause cause);

// Whether the cause is a file that another program holds or changed meanwhile: the run may
// well succeed when tried again later.
bool IsBusy(FailureCause cause);

enum class StepKind {
    CopyFile,       // a file of the kit copied into the settings folder
    KeepFile,       // a newer file of the settings folder kept
    ReuseEntry,     // the entry that already carries the profile
    FillEntry,      // a free entry given the profile
    AppendEntry,    // a new entry added
    PlaceProfile,   // the kit's profile put under its slot's name
    RemoveShipped,  // the profile under its shipped name taken away from the settings folder
    RaiseFlag,      // a slot's flag raised in the flag file
    RemoveProfile,  // a slot's profile that is the kit's removed
    KeepProfile,    // a slot's profile that differs from the kit's kept
    LowerFlag,      // a slot's flag lowered in the flag file
    EmptyEntry,     // an entry given an empty value again
    RemoveEntry,    // an added entry taken away
    SaveList,       // the list file written
};

// Whether a step writes a file itself (the entry steps are written by the list's save).
bool WritesFile(StepKind kind);
// Whether a step is an edit of the list, carried out by the list's save.
bool EditsList(StepKind kind);

struct InstallStep {
    StepKind kind;
    std::string file;  // full path of the file the step writes or keeps
    std::string key;   // entries and profiles: the slot key
    std::int64_t slot = 0;
    bool done = false;  // carried out (kept files and reused entries: found to hold)
};

// How the profile came by its entry, or (uninstall) what became of it.
enum class SlotAction { None, Reused, Filled, Appended, Removed, Absent };

struct InstallReport {
    std::string settingsFolder;  // empty when none was found
    SlotAction action = SlotAction::None;
    std::string key;
    std::vector<InstallStep> steps;
    std::vector<std::string> warnings;  // UTF-8
    FailureCause cause = FailureCause::None;
    std::string failedFile;  // full path; empty when the failure concerns no one file
    int flag = -1;           // PaperStream IP: the slot's flag byte as found; -1 unknown

    void AddStep(StepKind kind, const std::string& file, const std::string& key = std::string(),
                 std::int64_t slot = 0);
    bool HasStep(StepKind kind) const;
    // Whether any step writes a file: false when the run has nothing to do.
    bool Writes() const;
    // Records the failure and gives the installer's result for it, -1.
    int Fail(FailureCause failure, const std::string& file);
};

struct InstallOptions {
    // Decide and report every step, but change nothing at all.
    bool dryRun = false;
    // Shows a warning and returns once it has been seen; by default a message box.
    std::function<void(const std::string& text)> warn;
};

// Shows the warning as the options say and records it; UTF-8 text.
void Warn(const InstallOptions& options, InstallReport& report, const std::string& text);
// Records a warning that the dialog does not show in a box of its own, and hands it to the
// options' warning function when there is one.
void Notice(const InstallOptions& options, InstallReport& report, const std::string& text);

// Runs an installation, turning an exception that leaves it into a reported failure.
int RunReported(InstallReport& report, const std::function<int()>& install);
