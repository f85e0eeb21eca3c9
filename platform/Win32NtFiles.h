#pragma once
// Windows only: names opened, listed and renamed relative to a folder's handle with ntdll's
// own calls, so that a name in a held folder is found in that folder whatever has become of
// its path since; and no open that waits on another program's oplock. Where the system has
// no such call, the same call by path stands in for it, chosen in one place.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace platform {

using NtStatus = LONG;

// The Windows error code of an open given up on another program's oplock.
constexpr DWORD kErrorOplockBreakInProgress = 742;

// How a name is opened, in CreateFileW's terms.
struct NameOpen {
    ACCESS_MASK access = 0;
    ULONG share = 0;
    bool create = false;   // a new file (CREATE_NEW), else an existing one (OPEN_EXISTING)
    bool anyKind = false;  // a folder too (FILE_FLAG_BACKUP_SEMANTICS), else a file only
    PSECURITY_DESCRIPTOR rules = nullptr;  // a new file's rules; null: the folder's inherited
};

// Opens `name` in `folder` (an empty name: the folder itself again) as CreateFileW would
// with `how`, never following a reparse point at the name, lending the caller's identity to
// no pipe there, and never waiting on another program's oplock: then nothing is opened, and
// the status stands for kErrorOplockBreakInProgress.
NtStatus OpenBeneath(HANDLE folder, const std::wstring& name, const NameOpen& how, HANDLE& file);

// Moves an open file (opened with DELETE access) onto `name` in `folder`, replacing what
// stands there.
NtStatus RenameBeneath(HANDLE file, HANDLE folder, const std::wstring& name);

// The same by the full path of the new name; gives the Windows error code.
DWORD RenameByPath(HANDLE file, const std::wstring& path);

// Marks an open file (opened with DELETE access) for deletion when its last handle closes:
// with `ignoreReadOnly`, a read-only one too, without a change to its attributes, which
// every hard link of it shares (Windows 10 1809 and later; elsewhere reported unsupported).
NtStatus DeleteBeneath(HANDLE file, bool ignoreReadOnly);

// Takes each name of a listing as the system hands it over, a buffer at a time.
using NameVisitor = std::function<void(const std::wstring& name)>;

// Every name in a folder opened for listing, "." and ".." included, from its first entry on;
// no more of the listing is held at once than one buffer of the system's.
NtStatus ListNamesBeneath(HANDLE folder, const NameVisitor& visit);

// Whether the system has no relative form of a call (an older system or another file
// system): the caller then names the file by its path.
bool IsUnsupported(NtStatus status);

// The Windows error code of a status: ERROR_SUCCESS for success, and an oplocked file's
// open as kErrorOplockBreakInProgress.
DWORD ErrorOfStatus(NtStatus status);

// Makes a call relative to a folder's handle and, only when the system reports that it has no
// such call (an older system or another file system), `byPath`, the same call through the
// folder's path. Gives the Windows error code of the call that answered.
DWORD RelativeElseByPath(const std::function<NtStatus()>& relative,
                         const std::function<DWORD()>& byPath);

}  // namespace platform
