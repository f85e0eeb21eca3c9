// The platform services as far as they are the same on every system, in front of the calls of
// the system's own files (SystemCalls.h): the test seam's failures and records, taken here
// once for both systems; whole reads, grown to the file's end; the order of the steps of a
// crash-safe replacement; and the string forms of the calls. Built twice: for the programs
// without the seam, and with it (BRENWICK_TEST_SEAM) for the unit tests.

#include "platform/Platform.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "platform/PeVersionResource.h"
#include "platform/SeamHooks.h"
#include "platform/SystemCalls.h"
#include "platform/TemporaryName.h"

namespace platform {

namespace {

// As AppendFile promises for the log, and for every other wait on another program too: ten
// seconds.
constexpr int kWaitLimitMilliseconds = 10000;

// Doubles a block's capacity, keeping its first `size` bytes.
void Grow(std::unique_ptr<char[]>& block, std::size_t size, std::size_t& capacity) {
    std::unique_ptr<char[]> larger(new char[2 * capacity]);
    std::memcpy(larger.get(), block.get(), size);
    block = std::move(larger);
    capacity *= 2;
}

// Reads to the end of the file, which may have grown since it was measured, but never more
// than `most` bytes, into a block that nothing clears first, with room for the last, empty
// read.
FileStatus FillBlock(const os::OpenedFile& file, std::uint64_t most, ByteBlock& bytes) {
    std::size_t capacity = static_cast<std::size_t>(file.Size()) + 1;
    std::unique_ptr<char[]> block(new char[capacity]);
    std::size_t size = 0;
    for (;;) {
        if (size == capacity) {
            if (capacity > most) {
                return FileStatus::TooLarge;
            }
            Grow(block, size, capacity);
        }
        std::size_t count = 0;
        const FileStatus read = file.ReadSome(block.get() + size, capacity - size, count);
        if (read != FileStatus::Ok) {
            return read;
        }
        if (count == 0) {
            break;
        }
        size += count;
    }
    if (size > most) {
        return FileStatus::TooLarge;
    }
    bytes.data = std::move(block);
    bytes.size = size;
    return FileStatus::Ok;
}

// The whole file, but never more than `limit` bytes or than this build can hold.
FileStatus ReadToEnd(const os::OpenedFile& file, std::uint64_t limit, ByteBlock& bytes) {
    const std::uint64_t most =
        std::min<std::uint64_t>(limit, std::numeric_limits<std::size_t>::max() / 4);
    if (file.Size() > most) {
        return FileStatus::TooLarge;
    }
    try {
        return FillBlock(file, most, bytes);
    } catch (const std::bad_alloc&) {
        return FileStatus::OutOfMemory;
    }
}

// The block's bytes in `bytes` when the read that filled it went well; else its status.
FileStatus TextOfBlock(FileStatus read, const ByteBlock& block, std::string& bytes) {
    if (read != FileStatus::Ok) {
        return read;
    }
    try {
        bytes.assign(block.data.get(), block.size);
    } catch (const std::bad_alloc&) {
        return FileStatus::OutOfMemory;
    }
    return FileStatus::Ok;
}

FileStatus ReadToEnd(const os::OpenedFile& file, std::uint64_t limit, std::string& bytes) {
    ByteBlock block;
    return TextOfBlock(ReadToEnd(file, limit, block), block, bytes);
}

// Whether a file of a temporary file's name is one a crashed run of this tool left: a regular
// file with one link, owned by the running account, an administrator or the system. Another
// user may name a file so, or a hard link to a file elsewhere: that is left alone.
bool IsLeftByCrashedRun(const Folder& folder, const std::string& name, FileInfo& info) {
    return InspectFile(folder, name, info) == FileStatus::Ok && info.kind == FileKind::Regular &&
           info.ownerTrusted;
}

// Telling a leftover from a file another user planted under such a name costs a few calls of
// the system each: only so many are looked at in a run, so that a folder filled with such
// names cannot hold the run up. Crashes leave few.
constexpr int kMostLeftoversLookedAt = 64;

// Temporary files that crashed runs left in the folder, cleared away at its first write, as
// the listing reads them.
void RemoveStaleTemporaryFiles(const Folder& folder) {
    if (!folder.TakeFirstWrite()) {
        return;
    }
    int lookedAt = 0;
    os::ListNames(folder, [&](const std::string& name) {
        if (!IsTemporaryName(name) || lookedAt++ >= kMostLeftoversLookedAt) {
            return;
        }
        FileInfo info;
        if (IsLeftByCrashedRun(folder, name, info)) {
            os::RemoveName(folder, name, &info.identity);  // only the file inspected
        }
    });
}

// Fills the temporary file with the pieces and makes it durable. The seam's failure of the
// write stands for any failure of the system's.
bool FillTemporaryFile(os::Replacement& replacement, const std::vector<std::string_view>& pieces,
                       const KitFile* kit, bool seamSteps) {
    if (seamSteps && seam::ShouldFail(Call::WriteTemporaryFile)) {
        return false;
    }
    for (const std::string_view piece : pieces) {
        if (!replacement.Write(piece)) {
            return false;
        }
    }
    return replacement.Finish(kit);
}

// Writes the pieces to a new temporary file beside the name and moves it onto the name: the
// target's permissions kept or, given a kit file, the kit file's. Only the whole-file writes
// of the store and the flag file (no kit file) take the seam's write, crash and replace
// failures; a copy fails as a whole through its own.
FileStatus ReplaceName(const Folder& folder, const std::string& name, const FileIdentity* expected,
                       bool refuseHidden, const std::vector<std::string_view>& pieces,
                       const KitFile* kit) {
    os::Replacement replacement(folder, name);
    FileStatus status = replacement.OpenTarget(expected, refuseHidden);
    if (status != FileStatus::Ok) {
        return status;
    }
    RemoveStaleTemporaryFiles(folder);
    status = replacement.CreateTemporaryFile();
    if (status != FileStatus::Ok) {
        return status;
    }
    const bool seamSteps = kit == nullptr;
    const bool written = FillTemporaryFile(replacement, pieces, kit, seamSteps);
    if (written && seamSteps && seam::ShouldFail(Call::CrashBeforeReplace)) {
        replacement.Abandon();
        return FileStatus::IoError;
    }
    seam::TemporaryFileWritten(folder.PathOf(replacement.TemporaryName()));
    if (!written || (seamSteps && seam::ShouldFail(Call::ReplaceWithTemporaryFile))) {
        return FileStatus::IoError;
    }
    return replacement.Commit();
}

// Whether the name could be replaced: the target as OpenTarget takes it, and a folder that
// lets the temporary file be made.
FileStatus CheckTarget(const Folder& folder, const std::string& name, const FileIdentity* expected,
                       bool refuseHidden) {
    os::Replacement replacement(folder, name);
    const FileStatus status = replacement.OpenTarget(expected, refuseHidden);
    return status == FileStatus::Ok ? replacement.CheckCreatable() : status;
}

}  // namespace

int os::WaitLimitMilliseconds() {
    return seam::WaitLimit(kWaitLimitMilliseconds);
}

FileStatus ReadFileForUpdate(const Folder& folder, const std::string& name, std::uint64_t limit,
                             std::string& bytes, FileIdentity& identity) {
    ByteBlock block;
    return TextOfBlock(ReadFileForUpdate(folder, name, limit, block, identity), block, bytes);
}

FileStatus ReadFileForUpdate(const Folder& folder, const std::string& name, std::uint64_t limit,
                             ByteBlock& bytes, FileIdentity& identity) {
    if (seam::ShouldFail(Call::ReadFileForUpdate)) {
        return FileStatus::IoError;
    }
    os::OpenedFile file;
    const FileStatus opened = os::OpenForUpdate(folder, name, file, identity);
    return opened == FileStatus::Ok ? ReadToEnd(file, limit, bytes) : opened;
}

FileStatus ReadFileShared(const Folder& folder, const std::string& name, std::uint64_t limit,
                          std::string& bytes, FileIdentity& identity) {
    os::OpenedFile file;
    const FileStatus opened = os::OpenShared(folder, name, file, identity);
    return opened == FileStatus::Ok ? ReadToEnd(file, limit, bytes) : opened;
}

FileStatus ReadFileShared(const Folder& folder, const std::string& name, std::uint64_t limit,
                          ByteBlock& bytes, FileIdentity& identity) {
    os::OpenedFile file;
    const FileStatus opened = os::OpenShared(folder, name, file, identity);
    return opened == FileStatus::Ok ? ReadToEnd(file, limit, bytes) : opened;
}

FileStatus CheckReplaceable(const Folder& folder, const std::string& name,
                            const FileIdentity* expected) {
    return CheckTarget(folder, name, expected, false);
}

FileStatus WriteFileReplacing(const Folder& folder, const std::string& name,
                              const std::string& bytes, const FileIdentity* expected) {
    return WriteFileReplacing(folder, name, std::vector<std::string_view>{bytes}, expected);
}

FileStatus WriteFileReplacing(const Folder& folder, const std::string& name,
                              const std::vector<std::string_view>& pieces,
                              const FileIdentity* expected) {
    return ReplaceName(folder, name, expected, false, pieces, nullptr);
}

FileStatus CheckCopyTarget(const Folder& folder, const std::string& name, HiddenTarget hidden) {
    return CheckTarget(folder, name, nullptr, hidden == HiddenTarget::Refuse);
}

FileStatus WriteKitFile(const Folder& folder, const std::string& name, const KitFile& file,
                        HiddenTarget hidden, const FileIdentity* expected) {
    if (seam::ShouldFail(Call::WriteKitFile)) {
        return FileStatus::IoError;
    }
    return ReplaceName(folder, name, expected, hidden == HiddenTarget::Refuse, {file.bytes}, &file);
}

FileStatus CheckRemovable(const Folder& folder, const std::string& name,
                          const FileIdentity* expected) {
    return os::CheckRemovable(folder, name, expected);
}

FileStatus RemoveFile(const Folder& folder, const std::string& name, const FileIdentity* expected) {
    if (seam::ShouldFail(Call::RemoveFile)) {
        return FileStatus::IoError;
    }
    return os::RemoveName(folder, name, expected);
}

bool HasVersionResource(const Folder& folder, const std::string& name) {
    os::OpenedFile file;
    FileIdentity identity;
    if (os::OpenShared(folder, name, file, identity) != FileStatus::Ok) {
        return false;
    }
    return PeImageHasVersionResource(
        [&](std::uint64_t offset, std::size_t size, unsigned char* out) {
            return file.ReadAt(offset, size, out);
        });
}

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    return !seam::ShouldFail(Call::ListFolder) && os::ListEntries(folder, entries);
}

FileStatus ReadKitFile(const std::string& path, std::uint64_t limit, KitFile& file) {
    os::OpenedFile input;
    const FileStatus opened = os::OpenKitFile(path, input, file);
    return opened == FileStatus::Ok ? ReadToEnd(input, limit, file.bytes) : opened;
}

bool GetCommonAppDataFolder(std::string& folder) {
    return !seam::ShouldFail(Call::GetCommonAppDataFolder) && os::CommonAppDataFolder(folder);
}

void ShowMessageBox(const std::string& text) {
    if (!seam::RecordMessageBox(text)) {
        os::ShowBox(text, os::BoxIcon::Warning);
    }
}

void ShowResultBox(const std::string& text, bool failed) {
    if (!seam::RecordMessageBox(text)) {
        os::ShowBox(text, failed ? os::BoxIcon::Error : os::BoxIcon::Information);
    }
}

}  // namespace platform
