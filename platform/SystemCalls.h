#pragma once
// What the portable front (Platform.cpp) is built on: the calls that each system's files make
// to their system, one implementation per system. The front adds what is the same everywhere:
// the test seam, a whole read grown to the file's end, the order of the steps of a crash-safe
// replacement, and the string forms of the calls.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace platform {

// Whether the file found at a name (or none) is the one expected there.
inline bool IsExpected(const FileIdentity* expected, const FileIdentity& found) {
    return expected == nullptr || *expected == found;
}

namespace os {

// A file that a system file opened for the front to read; closed on every way out.
class OpenedFile {
public:
    OpenedFile() = default;
    ~OpenedFile();
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;

    // Takes over a handle the system opened, with the file's length when it was opened.
    void Take(std::intptr_t handle, std::uint64_t size) {
        m_handle = handle;
        m_size = size;
    }
    std::uint64_t Size() const { return m_size; }
    // Reads on from where the last read ended, at most `most` bytes; `count` is 0 at the end.
    // Locked when the read waited on another program beyond the limit and was given up.
    FileStatus ReadSome(char* into, std::size_t most, std::size_t& count) const;
    // Reads `size` bytes at `offset`; false when the file has fewer there.
    bool ReadAt(std::uint64_t offset, std::size_t size, unsigned char* out) const;

private:
    std::intptr_t m_handle = -1;  // none
    std::uint64_t m_size = 0;
};

// A name of a held folder opened to be read and then replaced, for this process's sole use:
// refuses what an exclusive read-write open would refuse (a missing, read-only or locked file)
// and anything but a regular file with one link. `identity` is of the file opened.
FileStatus OpenForUpdate(const Folder& folder, const std::string& name, OpenedFile& file,
                         FileIdentity& identity);

// A regular single-link file of a held folder opened for reading, shared with other programs.
FileStatus OpenShared(const Folder& folder, const std::string& name, OpenedFile& file,
                      FileIdentity& identity);

// A file of the kit opened by its path, as ReadKitFile describes; the file's times and
// permissions go to `kit`.
FileStatus OpenKitFile(const std::string& path, OpenedFile& file, KitFile& kit);

// One crash-safe replacement of a name in a held folder, in the system's own steps, which the
// front puts in order: the file at the name is held while a temporary file beside it is
// written, then the temporary file is moved onto the name. Unless it was moved, or left as a
// crash leaves it, the temporary file is removed when the replacement ends.
class Replacement {
public:
    Replacement(const Folder& folder, const std::string& name);
    ~Replacement();
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;

    // Opens the file at the name. Refuses one that is not a regular single-link file, is
    // read-only, hidden (with `refuseHidden`), held by another program or not the file
    // expected; a missing file may be created, unless a file was expected there.
    FileStatus OpenTarget(const FileIdentity* expected, bool refuseHidden);
    // Whether a new name may be made in the folder.
    FileStatus CheckCreatable() const;
    // Creates the temporary file beside the target, under a name that no file has.
    FileStatus CreateTemporaryFile();
    const std::string& TemporaryName() const;
    bool Write(std::string_view bytes);
    // Makes what was written durable, with the target's permissions or, given a kit file, the
    // kit file's and its last-write time.
    bool Finish(const KitFile* kit);
    // Leaves the temporary file where it is, as a crash would.
    void Abandon();
    // Moves the temporary file onto the name; Changed when the name no longer stands for the
    // file opened as the target.
    FileStatus Commit();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// The names in a held folder, listed afresh, "." and ".." included where the system reports
// them, each handed to `visit` as it is read: the listing never holds more than a batch of
// names at once, however large the folder. Where a system lists a folder only by its path,
// only the names of this tool's temporary files: clearing those away is all the listing is for.
void ListNames(const Folder& folder, const std::function<void(const std::string& name)>& visit);

// The work of RemoveFile, ListFolder, GetCommonAppDataFolder and ShowMessageBox, which the
// test seam stands in front of.
FileStatus RemoveName(const Folder& folder, const std::string& name, const FileIdentity* expected);
FileStatus CheckRemovable(const Folder& folder, const std::string& name,
                          const FileIdentity* expected);
bool ListEntries(const std::string& folder, std::vector<FolderEntry>& entries);
bool CommonAppDataFolder(std::string& folder);
enum class BoxIcon { Warning, Information, Error };
void ShowBox(const std::string& text, BoxIcon icon);

// Given by the front: how long any wait for another program lasts at most, in milliseconds:
// a writer of a log for the others, and (Windows) a call that another program holds up.
int WaitLimitMilliseconds();

}  // namespace os

}  // namespace platform
