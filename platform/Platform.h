#pragma once
// Every service the portable core needs of the operating system. One implementation per
// system is chosen by the build; texts are code page 932 bytes and paths are in the form of
// the system the program runs on.
//
// The driver's folders are shared with other users of the PC, so nothing there is trusted:
// a settings folder is entered one real folder at a time and held open while the tool works
// in it, and every file in it is opened without following links and checked on the open
// handle. The kit (the source of the copies) lies where only administrators can write and is
// opened as it stands.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// What became of a file operation; Ok is the only success.
enum class FileStatus {
    Ok,
    Missing,   // nothing at the name
    ReadOnly,  // the read-only attribute (POSIX: the owner write bit clear)
    Hidden,    // the hidden attribute (POSIX: a name that starts with '.')
    Locked,    // another program holds the file
    Unsafe,    // not a regular file with exactly one link: a link, junction, hard-linked
               // file, pipe, device or folder
    Changed,   // not the file that was read
    TooLarge,  // longer than this build can hold
    OutOfMemory,
    IoError,  // any other failure of the system
};

// Which file a name stood for: the same identity means the same file.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity& other) const {
        return volume == other.volume && index == other.index;
    }
};

// A folder held open. While it is held, it (and on Windows each folder above it up to its
// base) cannot be swapped for another, and names in it are resolved inside it.
class Folder {
public:
    Folder() = default;
    ~Folder();
    Folder(Folder&& other) noexcept;
    Folder& operator=(Folder&& other) noexcept;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    bool IsOpen() const { return !m_handles.empty(); }
    const std::string& Path() const { return m_path; }
    // The full path of a name in the folder, for messages and reports.
    std::string PathOf(const std::string& name) const;

    // For the system files: the handles from the base down, the folder itself last.
    Folder(std::vector<std::intptr_t> handles, std::string path);
    std::intptr_t Handle() const { return m_handles.back(); }

private:
    void Close();

    std::vector<std::intptr_t> m_handles;
    std::string m_path;
};

// --- Folders ------------------------------------------------------------------------------

// Opens `base` as the system names it, then each of `names` beneath it, one at a time; each
// must be a real folder, not a link, junction or other reparse point. Missing when a
// component is not there or is a file; Unsafe when one is a link.
FileStatus OpenFolderBeneath(const std::string& base, const std::vector<std::string>& names,
                             Folder& folder);

// Opens a folder by its path as it stands (the kit's folder, or a path given by a caller).
FileStatus OpenFolder(const std::string& path, Folder& folder);

// Opens, as OpenFolder does, the folder of a file's path, and gives the file's name in it.
FileStatus OpenFolderOf(const std::string& path, Folder& folder, std::string& name);

// --- Files in a held folder ---------------------------------------------------------------

// Reads a whole file that the process may also write, with the identity of the file read.
// Refuses, reading nothing, what an exclusive read-write open would refuse (a missing,
// read-only or locked file) and anything but a regular file with one link.
FileStatus ReadFileForUpdate(const Folder& folder, const std::string& name, std::string& bytes,
                             FileIdentity& identity);

// Bytes in one block that nothing clears before a read fills it: a large file's memory is
// touched once, by the read.
struct ByteBlock {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
};

// The same read into such a block.
FileStatus ReadFileForUpdate(const Folder& folder, const std::string& name, ByteBlock& bytes,
                             FileIdentity& identity);

// Reads a whole regular, single-link file without asking for write access or exclusive use.
FileStatus ReadFileShared(const Folder& folder, const std::string& name, std::string& bytes);

// Whether WriteFileReplacing would be allowed to replace the name (a missing file may be
// created), without writing anything. With `expected`, the file must still be that one.
FileStatus CheckReplaceable(const Folder& folder, const std::string& name,
                            const FileIdentity* expected);

// Writes a whole file so that it is at every moment either fully the old one or fully the
// new one: the bytes go to a temporary file beside it, which then replaces it, with the old
// file's permissions but never a set-user-id, set-group-id or sticky bit (Windows: only the
// read-only, hidden, system and archive attributes). Refuses what CheckReplaceable refuses
// and leaves no temporary file, also none that a crashed earlier run left for this name.
FileStatus WriteFileReplacing(const Folder& folder, const std::string& name,
                              const std::string& bytes, const FileIdentity* expected);

// The same with the bytes given as pieces, written one after another: a text mostly made of
// what was read is written without a copy of it.
FileStatus WriteFileReplacing(const Folder& folder, const std::string& name,
                              const std::vector<std::string_view>& pieces,
                              const FileIdentity* expected);

// Whether a copy replaces a hidden target or, as the system's own copy does, refuses it.
enum class HiddenTarget { Refuse, Replace };

// Copies a file of the kit onto a name in the folder, in the same way, with the source's
// last-write time and read-only state.
FileStatus CopyFileInto(const std::string& sourcePath, const Folder& folder,
                        const std::string& name, HiddenTarget hidden = HiddenTarget::Refuse);

// Whether CopyFileInto would be allowed to replace the name.
FileStatus CheckCopyTarget(const Folder& folder, const std::string& name,
                           HiddenTarget hidden = HiddenTarget::Refuse);

// Removes whatever stands at the name (a link itself, never what it points to), read-only
// or not. Missing when there is nothing.
FileStatus RemoveFile(const Folder& folder, const std::string& name);

// Ok when a regular single-link file stands at the name; Missing, Unsafe or IoError else.
FileStatus CheckRegularFile(const Folder& folder, const std::string& name);

// Last-write time in whole seconds since 1970, of the name itself (not of a link's target).
bool GetLastWriteSeconds(const Folder& folder, const std::string& name, std::int64_t& seconds);

// Whether the name is a regular file that carries a version resource.
bool HasVersionResource(const Folder& folder, const std::string& name);

// --- Files of the kit, by path ------------------------------------------------------------

struct FolderEntry {
    std::string name;
    bool isDirectory = false;
};

// Lists every entry of a folder ("*.*"), in the system's order, "." and ".." included where
// the system reports them. Fails when the folder cannot be listed.
bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries);

bool GetLastWriteSeconds(const std::string& path, std::int64_t& seconds);

// Reads a whole regular file; never waits on a pipe or device.
FileStatus ReadWholeFile(const std::string& path, std::string& bytes);

bool IsExistingDirectory(const std::string& path);
bool IsExistingFile(const std::string& path);

// --- Environment --------------------------------------------------------------------------

// The machine-wide application-data folder. Fails when the system cannot tell.
bool GetCommonAppDataFolder(std::string& folder);

// The value of an environment variable; fails when it is unset.
bool GetEnvironmentText(const std::string& name, std::string& value);

// `folder` and `name` joined by the system's path separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// The folder and the last name of a path; a path without a separator is a name in ".".
void SplitPath(const std::string& path, std::string& folder, std::string& name);

// The executable's own path; empty when the system cannot tell.
std::string ExecutablePath();

// First thing at start-up: DLLs only from the system folder, junctions made by other users
// not followed. Where the system lacks a setting, it is passed over.
void HardenProcess();

// --- Console programs ---------------------------------------------------------------------

// The program's arguments after its name, as the core holds paths (Windows: taken from the
// wide command line and converted with code page 932).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Code page 932 text in UTF-8; a path as the core holds it in UTF-8.
std::string TextToUtf8(const std::string& text);
std::string PathToUtf8(const std::string& path);

enum class Stream { Output, Error };

// Writes UTF-8 text: to a console window as its characters, redirected as the bytes.
void WriteText(Stream stream, const std::string& utf8);

// For a log, in UTF-8: the computer's name, the user's, and the local time with its UTC
// offset ("2026-12-07 18:14:27 +09:00").
std::string ComputerName();
std::string UserName();
std::string LocalTimeText();

// A file that records are appended to, each in one piece, by any number of programs at
// once: a log on a share.
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens the file, created when missing, for appending.
    bool Open(const std::string& path);
    // Appends the bytes at the end in one write, while no other writer using this does.
    bool Append(const std::string& bytes);

private:
    std::intptr_t m_handle = -1;
};

// --- User interface -----------------------------------------------------------------------

// The window that owns every message box; null for none.
void SetMessageBoxOwner(void* window);

// A modal box with an OK button and the exclamation icon; returns when it is dismissed.
void ShowMessageBox(const std::string& text);

}  // namespace platform
