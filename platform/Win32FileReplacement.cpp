// Windows only: files of a held folder replaced through a temporary file beside them, and
// removed. The target is held exclusively while its replacement is written and let go just
// before the rename, which cannot replace a file that is open; the temporary file is held
// without sharing deletion and renamed (or removed) through its handle, so no one can swap
// another file in under its name.

#define _CRT_RAND_S  // rand_s, the system's unpredictable numbers, from the C runtime
#include <windows.h>

#include <cstdlib>
#include <memory>

#include "platform/SystemCalls.h"
#include "platform/TemporaryName.h"
#include "platform/Win32AccessRules.h"
#include "platform/Win32Files.h"
#include "platform/Win32HeldFolders.h"
#include "platform/Win32Io.h"
#include "platform/Win32NtFiles.h"
#include "platform/Win32Security.h"
#include "platform/Win32Text.h"

namespace platform {

namespace {

std::uint64_t RandomNumber() {
    unsigned int high = 0;
    unsigned int low = 0;
    if (rand_s(&high) != 0 || rand_s(&low) != 0) {
        std::abort();  // an unpredictable name cannot be had: better no write at all
    }
    return (std::uint64_t{high} << 32) | low;
}

// Sets the attributes (none: a plain file) and, when given, the last-write time.
bool SetBasicInformation(HANDLE file, DWORD attributes, const FILETIME* lastWrite) {
    FILE_BASIC_INFO basic{};
    if (lastWrite != nullptr) {
        basic.LastWriteTime.LowPart = lastWrite->dwLowDateTime;
        basic.LastWriteTime.HighPart = static_cast<LONG>(lastWrite->dwHighDateTime);
    }
    basic.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
    return ::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) != FALSE;
}

// Deletes the file of an open handle (opened with DELETE and FILE_WRITE_ATTRIBUTES access),
// read-only or not, but never by a change to the attributes of a file that other names share:
// where the system cannot delete a read-only file as it stands, only a file with one link has
// the attribute cleared first, and given back when the deletion fails. A file whose attributes
// cannot be read is only asked to go as it stands. Gives the Windows error code.
DWORD DeleteByHandle(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(file, &info) != FALSE;
    const DWORD attributes = info.dwFileAttributes & kKeptAttributes;
    const bool readOnly = known && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly) {
        const NtStatus status = DeleteBeneath(file, true);
        if (!IsUnsupported(status)) {
            return ErrorOfStatus(status);
        }
        if (info.nNumberOfLinks != 1) {
            return ERROR_ACCESS_DENIED;
        }
        if (!SetBasicInformation(file, attributes & ~FILE_ATTRIBUTE_READONLY, nullptr)) {
            return ::GetLastError();
        }
    }
    const DWORD error = ErrorOfStatus(DeleteBeneath(file, false));
    if (error != ERROR_SUCCESS && readOnly) {
        SetBasicInformation(file, attributes, nullptr);
    }
    return error;
}

// Moves the file of an open handle onto a name of the folder, replacing what stands there (a
// link itself, never what it points to): the name resolved in the held folder, or by the
// folder's path where the system has no such rename. Gives the Windows error code.
DWORD RenameInFolder(HANDLE file, const Folder& folder, const std::string& name) {
    return RelativeElseByPath(
        [&] { return RenameBeneath(file, FolderHandle(folder), Widen(name)); },
        [&] { return RenameByPath(file, Widen(folder.PathOf(name))); });
}

// The new file's access rules: a kit copy's are the installed rule set, whatever stood at the
// name or the folder would give it; a replaced driver file keeps the rules of the file it
// replaces, so that what the driver may do to it it still may, but only those of a file an
// administrator, the system or the running account owns (another user's rules are theirs to
// have set: then the folder's inherited ones), and either way without a right of another
// account to write.
bool GiveRules(HANDLE target, HANDLE written, bool kitCopy) {
    if (kitCopy) {
        return GiveInstalledRules(written);
    }
    const bool carried = target != INVALID_HANDLE_VALUE && HasTrustedOwner(target);
    return KeepRulesWithoutOthersWriting(carried ? target : nullptr, written);
}

// A kit file's last-write time in the system's form.
FILETIME FileTimeOf(std::int64_t ticks) {
    FILETIME time{};
    time.dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks));
    time.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32);
    return time;
}

}  // namespace

struct os::Replacement::State {
    State(const Folder& held, const std::string& targetName) : folder(held), name(targetName) {}

    const Folder& folder;
    const std::string name;
    // The file at the name, as opened.
    Handle target;
    bool exists = false;
    FileIdentity identity;
    // What the new file takes on: the target's attributes, or a kit file's with its time.
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;  // a new file's
    bool keepsTime = false;
    FILETIME lastWrite{};
    bool kitCopy = false;  // a kit copy or slot profile: given the installed rule set
    // The temporary file, removed at the end while `removeTemporary` holds.
    std::string temporary;
    Handle written;
    bool removeTemporary = false;

    // Whether the name still stands for the file opened as the target.
    bool StillAtName() const {
        Handle file;
        BY_HANDLE_FILE_INFORMATION info{};
        const DWORD error = OpenAttributes(folder, name, file, info);
        if (error != ERROR_SUCCESS) {
            return !exists && error == ERROR_FILE_NOT_FOUND;
        }
        return exists && IdentityOf(info) == identity;
    }
};

os::Replacement::Replacement(const Folder& folder, const std::string& name)
    : m_state(std::make_unique<State>(folder, name)) {}

os::Replacement::~Replacement() {
    if (m_state->removeTemporary) {
        DeleteByHandle(m_state->written.get());
    }
}

FileStatus os::Replacement::OpenTarget(const FileIdentity* expected, bool refuseHidden) {
    State& state = *m_state;
    BY_HANDLE_FILE_INFORMATION info{};
    const FileStatus opened =
        OpenInFolder(state.folder, state.name, GENERIC_READ | GENERIC_WRITE | READ_CONTROL, 0, true,
                     state.target, info);
    if (opened == FileStatus::Missing) {
        return IsExpected(expected, FileIdentity{}) ? FileStatus::Ok : FileStatus::Changed;
    }
    if (opened != FileStatus::Ok) {
        return opened;
    }
    if (refuseHidden && (info.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0) {
        return FileStatus::Hidden;
    }
    state.exists = true;
    state.identity = IdentityOf(info);
    if (!IsExpected(expected, state.identity)) {
        return FileStatus::Changed;
    }
    state.attributes = info.dwFileAttributes & kKeptAttributes;
    return FileStatus::Ok;
}

// The folder opened again, asking what the temporary file's creation asks of it: the right to
// add a file, and no other program holding the folder against writers.
FileStatus os::Replacement::CheckCreatable() const {
    constexpr NameOpen kAddFile{FILE_ADD_FILE, kShareAll, false, true};
    HANDLE opened = INVALID_HANDLE_VALUE;
    const DWORD error = RelativeElseByPath(
        [&] {
            return OpenBeneath(FolderHandle(m_state->folder), std::wstring(), kAddFile, opened);
        },
        [] { return static_cast<DWORD>(ERROR_SUCCESS); });  // left to the creation itself
    const Handle folder(opened);
    return error == ERROR_SUCCESS ? FileStatus::Ok : StatusOfError(error);
}

// Created with the installed rule set, not the folder's: no other account can open the file
// for anything (an attribute or its rules) while it is written and keep that handle after.
FileStatus os::Replacement::CreateTemporaryFile() {
    const NameOpen newFile{
        GENERIC_WRITE | DELETE | READ_CONTROL | WRITE_DAC | FILE_WRITE_ATTRIBUTES, 0, true, false,
        InstalledRulesDescriptor()};
    if (newFile.rules == nullptr) {
        return FileStatus::IoError;
    }
    State& state = *m_state;
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0;
         attempt < 16 && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS); ++attempt) {
        state.temporary = TemporaryNameFor(state.name, RandomNumber());
        error = OpenName(state.folder, state.temporary, newFile, state.written);
    }
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
        return FileStatus::IoError;
    }
    state.removeTemporary = error == ERROR_SUCCESS;
    return state.removeTemporary ? FileStatus::Ok : StatusOfError(error);
}

const std::string& os::Replacement::TemporaryName() const {
    return m_state->temporary;
}

bool os::Replacement::Write(std::string_view bytes) {
    return WriteAll(m_state->written.get(), bytes.data(), bytes.size());
}

// Only flushed here: the move (Commit) sets the attributes and the time, after the last write
// to the file.
bool os::Replacement::Finish(const KitFile* kit) {
    State& state = *m_state;
    if (kit != nullptr) {
        state.attributes = kit->permissions & kKeptAttributes;
        state.keepsTime = true;
        state.lastWrite = FileTimeOf(kit->lastWrite);
        state.kitCopy = true;
    }
    return ::FlushFileBuffers(state.written.get()) != FALSE;
}

void os::Replacement::Abandon() {
    m_state->removeTemporary = false;
}

FileStatus os::Replacement::Commit() {
    State& state = *m_state;
    // A file whose rules could not be made so is not put in place: others could write it.
    if (!GiveRules(state.exists ? state.target.get() : INVALID_HANDLE_VALUE, state.written.get(),
                   state.kitCopy)) {
        return FileStatus::IoError;
    }
    state.target.Reset(INVALID_HANDLE_VALUE);
    if (!SetBasicInformation(state.written.get(), state.attributes,
                             state.keepsTime ? &state.lastWrite : nullptr)) {
        return FileStatus::IoError;
    }
    if (!state.StillAtName()) {
        return FileStatus::Changed;
    }
    const DWORD error = RenameInFolder(state.written.get(), state.folder, state.name);
    if (error != ERROR_SUCCESS) {
        return StatusOfError(error);
    }
    state.removeTemporary = false;  // it is the file at the name now
    return FileStatus::Ok;
}

namespace {

// Opens a name that is to be removed, asking what the removal asks: a program that holds the
// file without sharing its deletion makes it fail, and so does a user who may not delete it.
// Anything but a real folder, and with `expected`, the file expected there.
FileStatus OpenRemovable(const Folder& folder, const std::string& name,
                         const FileIdentity* expected, Handle& file,
                         BY_HANDLE_FILE_INFORMATION& info) {
    constexpr NameOpen kRemoval{DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll,
                                false, true};
    const DWORD error = OpenName(folder, name, kRemoval, file);
    if (error != ERROR_SUCCESS) {
        return StatusOfError(error);
    }
    if (!::GetFileInformationByHandle(file.get(), &info)) {
        return FileStatus::IoError;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return FileStatus::Unsafe;
    }
    return IsExpected(expected, IdentityOf(info)) ? FileStatus::Ok : FileStatus::Changed;
}

}  // namespace

FileStatus os::RemoveName(const Folder& folder, const std::string& name,
                          const FileIdentity* expected) {
    Handle file;
    BY_HANDLE_FILE_INFORMATION info{};
    const FileStatus removable = OpenRemovable(folder, name, expected, file, info);
    if (removable != FileStatus::Ok) {
        return removable;
    }
    return StatusOfError(DeleteByHandle(file.get()));
}

FileStatus os::CheckRemovable(const Folder& folder, const std::string& name,
                              const FileIdentity* expected) {
    Handle file;
    BY_HANDLE_FILE_INFORMATION info{};
    return OpenRemovable(folder, name, expected, file, info);
}

}  // namespace platform
