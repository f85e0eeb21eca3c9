#pragma once
// The steps a run may take, each kind described once: its stable code, what it does to the
// files, the piece of an installation it puts right, and its line for people.

#include <cstdint>
#include <string>

enum class StepKind {
    CopyFile,          // a file of the kit copied into the settings folder
    CopyOverForeign,   // the same over a copy another user owns, which counts for nothing
    KeepFile,          // a newer file of the settings folder kept
    RollBack,          // the same file replaced by the kit's older one, as asked
    ReuseEntry,        // the entry that already carries the profile
    FillEntry,         // a free entry given the profile
    AppendEntry,       // a new entry added
    PlaceProfile,      // the kit's profile put under its slot's name
    PlaceOverForeign,  // the same over the kit's profile that another user owns
    RemoveShipped,     // the profile under its shipped name taken away from the settings folder
    RaiseFlag,         // a slot's flag raised in the flag file
    RemoveProfile,     // a slot's profile that is the kit's removed
    KeepProfile,       // a slot's profile that differs from the kit's kept
    LowerFlag,         // a slot's flag lowered in the flag file
    EmptyEntry,        // an entry given an empty value again
    RemoveEntry,       // an added entry taken away
    SaveList,          // the list file written
};

struct InstallStep {
    StepKind kind;
    std::string file;  // full path of the file the step writes or keeps
    std::string key;   // entries and profiles: the slot key
    std::int64_t slot = 0;
    bool done = false;  // carried out (kept files and reused entries: found to hold)
};

// "copy", "fill-entry", ...; the same on every run and every system.
const char* StepCode(StepKind kind);
// Whether the step writes a file itself (the entry steps are written by the list's save).
bool WritesFile(StepKind kind);
// Whether the step is an edit of the list, carried out by the list's save.
bool EditsList(StepKind kind);
// Whether the step belongs to the copying of the profile set, which a failed copy ends.
bool CopiesKit(StepKind kind);
// Whether the step names a slot by its number.
bool HasSlot(StepKind kind);
// The piece of an installation that the step would put right: "entry", "profile-file",
// "flag", "profile-set", "owner" (a file that holds the kit's bytes but belongs to another
// user, who may change it at will); null for a step that changes nothing.
const char* StepPiece(StepKind kind);

// The step's line for people, UTF-8: what it does, and to which file.
std::string StepText(const InstallStep& step);
