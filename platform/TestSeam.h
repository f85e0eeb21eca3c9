#pragma once
// What a test can make the platform layer do instead of the real thing: fail a chosen call,
// or record message boxes rather than show them. Only the unit tests' build of the core
// carries it; the front consults it through SeamHooks.h.

#include <functional>
#include <string>
#include <vector>

namespace platform {

enum class Call {
    ReadFileForUpdate,
    WriteTemporaryFile,
    ReplaceWithTemporaryFile,
    // The process dies after writing a temporary file and before it replaces its target:
    // the temporary file stays behind, as a crash would leave it.
    CrashBeforeReplace,
    ListFolder,
    WriteKitFile,
    RemoveFile,
    GetCommonAppDataFolder,
    Count
};

// Makes the `nth` next call (1 = the very next) of `call` fail; with `fromThenOn`, every
// call after it fails as well.
void FailCall(Call call, int nth, bool fromThenOn = false);
void ClearFailures();
bool AnyFailurePlanned();

// Runs `act` (with the temporary file's full path) once, when the next crash-safe write has
// filled its temporary file and is about to move it onto its target; null to stop.
void OnTemporaryFileWritten(std::function<void(const std::string& temporary)> act);

// How long a wait for another program may last, in milliseconds; 0 for the real limit.
void LimitWaits(int milliseconds);

void RecordMessageBoxes(bool record);
std::vector<std::string> TakeRecordedMessageBoxes();

}  // namespace platform
