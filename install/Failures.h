#pragma once
// Why a run failed, each cause described once: its stable code, whether another program holds
// a file (the run may well succeed when tried again later), the piece a check names as missing,
// and one sentence for people that says what happened, to which file, and what to do.

#include <string>

#include "platform/Platform.h"

enum class FailureCause {
    None,
    SettingsFolderMissing,
    SettingsFolderLocked,
    ListFileMissing,
    ListFileReadOnly,
    ListFileLocked,
    ListFileUnsafe,
    ListFileUnreadable,
    ListFileTooLarge,
    ListSectionMissing,
    ListSectionEmpty,
    NoFreeSlot,
    SlotOutOfRange,
    SlotKeyUnsafe,
    KitFileMissing,
    KitFileUnreadable,
    KitFileTooLarge,
    KitUnsafe,
    ProfileRenameFailed,
    ProfileFileLocked,
    ProfileFileUnsafe,
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

// Every cause but None, for the tests of the table.
constexpr int kFailureCauseCount = static_cast<int>(FailureCause::Unexpected) + 1;

// "list-file-locked" and so on; the same on every run and every system.
const char* FailureCode(FailureCause cause);
bool IsBusy(FailureCause cause);
// "list-file", "entry", ...; null when the cause names no piece of an installation, as a busy
// file does: it is not missing.
const char* FailurePiece(FailureCause cause);

// Where a sentence names the file: its full path goes between the brackets.
constexpr char kFileMark[] = "「%s」";
// The sentence, with kFileMark where the file goes; `check` the one a check says, which tells
// what it found where the run's sentence tells of a copy or replacement that failed.
std::string FailureMessageFormat(FailureCause cause, bool check = false);
// The sentence with the file (a path as the system names it) put in; with no file, without
// the mention of one. UTF-8.
std::string FailureMessage(FailureCause cause, const std::string& file, bool check = false);

// What a file is to the run, for telling why an operation on it failed.
enum class FileRole {
    ListFile,        // read
    ListSave,        // written
    FlagFile,        // read or written
    SlotProfile,     // put in place
    ProfileRemoval,  // taken away
    KitFile,         // read from the kit
    CopyTarget,      // a kit file's copy in the settings folder
};

// The cause that an operation's status is reported as, for a file of that role.
FailureCause CauseOf(FileRole role, platform::FileStatus status);
