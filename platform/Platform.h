#pragma once
// Every service the portable core needs of the operating system. What is the same on every
// system is done once in Platform.cpp, over the calls of the system's own files, which the
// build chooses; texts are code page 932 bytes and paths are in the form of the system the
// program runs on.
//
// The driver's folders are shared with other users of the PC, so nothing there is trusted:
// a settings folder is entered one real folder at a time and held open while the tool works
// in it, and every file in it is opened without following links and checked on the open
// handle. The kit (the source of the copies) lies where only administrators can write and is
// opened as it stands.
//
// No other program makes a call wait without a bound: on Windows every open, read, listing,
// rename and deletion that could wait on another program (an oplock it does not acknowledge)
// is given up after ten seconds as Locked; on POSIX opens never wait (O_NONBLOCK) and locks
// are only tried (LOCK_NB), but for the log's, which is waited for ten seconds at most.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
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

// Which file a name stood for, as it was seen: the same identity means the same file, not
// written since (the same size and last-write time).
struct FileIdentity {
    bool exists = false;  // false: nothing stood at the name
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    std::uint64_t size = 0;
    std::int64_t lastWrite = 0;  // in the system's own units
    bool operator==(const FileIdentity& other) const {
        return exists == other.exists && volume == other.volume && index == other.index &&
               size == other.size && lastWrite == other.lastWrite;
    }
};

// No limit on the size of a file read whole.
constexpr std::uint64_t kAnySize = ~std::uint64_t{0};

// A folder held open. While it is held, it cannot be swapped for another, and names in it are
// resolved inside it (on Windows only the folder itself is held: those above it are passed
// through, so that no reader of them can keep a run out).
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

    // True once only: the first write in the folder removes what crashed runs left there.
    bool TakeFirstWrite() const { return !std::exchange(m_written, true); }

private:
    friend class FolderHandles;  // the system files' view (platform/FolderHandles.h)
    void Close();

    // The system's handles from the base down, the folder itself last; only the system files
    // know what they are.
    std::vector<std::intptr_t> m_handles;
    std::string m_path;
    mutable bool m_written = false;
};

// --- Folders ------------------------------------------------------------------------------

// Opens `base` as the system names it, then each of `names` beneath it, one at a time; each
// must be a real folder, not a link, junction or other reparse point. Missing when a
// component is not there or is a file; Unsafe when one is a link. `foreign` is then the
// first of the folders beneath `base` that belongs to no administrator, the system or the
// user running the program (another user may have made it), or empty.
FileStatus OpenFolderBeneath(const std::string& base, const std::vector<std::string>& names,
                             Folder& folder, std::string& foreign);

// Whether users other than administrators may write into the folder: Windows: its owner is
// no administrator, the system, TrustedInstaller or the running account, or its access rules
// (after those that deny) let any other account write, add or delete in it, or change it or
// its rules; a folder that is there but cannot be checked counts so; POSIX: group or other
// write, or an owner that is neither root nor the effective user.
bool OthersMayWrite(const std::string& folder);

// Opens a folder by its path as it stands (the kit's folder, or a path given by a caller).
FileStatus OpenFolder(const std::string& path, Folder& folder);

// Opens, as OpenFolder does, the folder of a file's path, and gives the file's name in it.
FileStatus OpenFolderOf(const std::string& path, Folder& folder, std::string& name);

// --- Files in a held folder ---------------------------------------------------------------

// Reads a whole file that the process may also write, with the identity of the file read.
// Refuses, reading nothing, what an exclusive read-write open would refuse (a missing,
// read-only or locked file), anything but a regular file with one link, and a file longer
// than `limit` bytes (TooLarge).
FileStatus ReadFileForUpdate(const Folder& folder, const std::string& name, std::uint64_t limit,
                             std::string& bytes, FileIdentity& identity);

// Bytes in one block that nothing clears before a read fills it: a large file's memory is
// touched once, by the read.
struct ByteBlock {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
};

// The same read into such a block.
FileStatus ReadFileForUpdate(const Folder& folder, const std::string& name, std::uint64_t limit,
                             ByteBlock& bytes, FileIdentity& identity);

// Reads a whole regular, single-link file without asking for write access or exclusive use;
// Locked when another program holds it for its sole use.
FileStatus ReadFileShared(const Folder& folder, const std::string& name, std::uint64_t limit,
                          std::string& bytes, FileIdentity& identity);
FileStatus ReadFileShared(const Folder& folder, const std::string& name, std::uint64_t limit,
                          ByteBlock& bytes, FileIdentity& identity);

enum class FileKind {
    Regular,  // a regular file with exactly one link
    Folder,   // a real folder
    Other,    // a link, junction, hard-linked file, pipe or device
};

// What stands at a name, seen without following a link and without opening it for more
// than its attributes.
struct FileInfo {
    FileKind kind = FileKind::Other;
    FileIdentity identity;
    bool readOnly = false;  // the read-only attribute (POSIX: the owner write bit clear)
    bool hidden = false;    // the hidden attribute (POSIX: a name that starts with '.')
    std::int64_t lastWriteSeconds = 0;  // since 1970
    // Owned by an administrator, the system, TrustedInstaller or the user running the program
    // (POSIX: root or the effective user): no other user can have put it there as it stands.
    bool ownerTrusted = false;
    // Whether users other than those may write it (Windows: its access rules let any other
    // account write, append, change its attributes, delete it, rewrite its rules or take it
    // over, or they cannot be read; POSIX: group or other write).
    bool othersMayWrite = true;
    // Only administrators, the system or the running account hold it: it may count as what
    // the run installs.
    bool HeldByTrusted() const { return ownerTrusted && !othersMayWrite; }
};

// Missing when nothing stands at the name.
FileStatus InspectFile(const Folder& folder, const std::string& name, FileInfo& info);

// Whether WriteFileReplacing would be allowed to replace the name (a missing file may be
// created), without writing anything. With `expected`, the name must still stand for that
// file (or, when it did not exist, for none).
FileStatus CheckReplaceable(const Folder& folder, const std::string& name,
                            const FileIdentity* expected);

// Writes a whole file so that it is at every moment either fully the old one or fully the
// new one: the bytes go to a temporary file beside it, which then replaces it, with the old
// file's permissions but never a set-user-id, set-group-id or sticky bit (Windows: only the
// read-only, hidden, system and archive attributes). The new file is the running account's;
// it keeps the old file's owner and group (POSIX) or access rules (Windows) only where an
// administrator, the system or the running account owned the old file: otherwise it has the
// default mode (POSIX) or the folder's inherited rules (Windows); on Windows either way with
// every rule's right of another account to write taken out. Refuses what
// CheckReplaceable refuses. Temporary files that a crashed earlier run left in the folder
// (regular single-link files of such an owner, by name) are removed first, once per held
// folder.
FileStatus WriteFileReplacing(const Folder& folder, const std::string& name,
                              const std::string& bytes, const FileIdentity* expected);

// The same with the bytes given as pieces, written one after another: a text mostly made of
// what was read is written without a copy of it.
FileStatus WriteFileReplacing(const Folder& folder, const std::string& name,
                              const std::vector<std::string_view>& pieces,
                              const FileIdentity* expected);

// Whether a copy replaces a hidden target or, as the system's own copy does, refuses it.
enum class HiddenTarget { Refuse, Replace };

// Whether WriteKitFile would be allowed to replace the name.
FileStatus CheckCopyTarget(const Folder& folder, const std::string& name,
                           HiddenTarget hidden = HiddenTarget::Refuse);

// A file of the kit as read: its bytes and what a copy of it takes over.
struct KitFile {
    std::string bytes;
    std::int64_t lastWrite = 0;         // in the system's own units
    std::int64_t lastWriteSeconds = 0;  // since 1970
    std::uint32_t permissions = 0;      // POSIX: the mode bits; Windows: the kept attributes
};

// Writes a kit file onto a name in the folder in the way WriteFileReplacing does, with the
// kit file's last-write time and read-only state; on Windows with one explicit, protected
// rule set instead of any old or inherited one: SYSTEM and Administrators full control, Users
// read and execute.
FileStatus WriteKitFile(const Folder& folder, const std::string& name, const KitFile& file,
                        HiddenTarget hidden, const FileIdentity* expected);

// Whether RemoveFile would be allowed to remove the name, without removing it: Locked when
// another program holds the file, Unsafe for a real folder, and, with `expected`, Changed when
// the name no longer stands for that file.
FileStatus CheckRemovable(const Folder& folder, const std::string& name,
                          const FileIdentity* expected);

// Removes whatever stands at the name (a link itself, never what it points to), read-only
// or not, but never a real folder (Unsafe), and never by a change to the attributes of a file
// that other names share (Windows: where the system cannot delete a read-only file as it
// stands, a read-only file with several links stays). Missing when there is nothing; with
// `expected`, Changed when the name no longer stands for that file.
FileStatus RemoveFile(const Folder& folder, const std::string& name,
                      const FileIdentity* expected = nullptr);

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

// Reads a whole file of the kit, without following a link at its name: Unsafe when it is not
// a regular single-link file, TooLarge when it is longer than `limit` bytes. Never waits on a
// pipe or device.
FileStatus ReadKitFile(const std::string& path, std::uint64_t limit, KitFile& file);

bool IsExistingDirectory(const std::string& path);

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
// not followed (Windows); a closed pipe is no signal that ends the program, and a standard
// stream closed at start is opened on the null device, so that no file the program opens
// takes its place (POSIX). Where the system lacks a setting, it is passed over.
void HardenProcess();

// --- Console programs ---------------------------------------------------------------------

// The program's arguments after its name, as the core holds paths (Windows: taken from the
// wide command line and converted with code page 932).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Code page 932 text in UTF-8; a path as the core holds it in UTF-8.
std::string TextToUtf8(const std::string& text);
std::string PathToUtf8(const std::string& path);

enum class Stream { Output, Error };

// Writes UTF-8 text with LF line ends. To a console window it goes as its characters;
// redirected on Windows, in the code page of the console the program is attached to (or, with
// none, the system's OEM code page; a character it lacks becomes '?') with CR LF line ends,
// and elsewhere as the bytes. A failed write is passed over: the output is no part of a run.
void WriteText(Stream stream, const std::string& utf8);

// For a log, in UTF-8: the computer's name, the user's, and the local time with its UTC
// offset, as ISO 8601 has it ("2026-12-07T18:14:27+09:00").
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

    // Opens the file for appending, created when missing, without following a link at its
    // name (Windows: where the redirection trust policy is not enforced, nor anywhere on the
    // way: its folders are entered from the root one real folder at a time). Unsafe when what
    // stands there is not a regular single-link file or, when it was there before, belongs
    // to no administrator, the system or the user running the program (Windows: the owner of
    // a file on a network share is the share's business); Missing when its folder is not
    // there; Locked when another program holds it.
    FileStatus Open(const std::string& path);
    // Appends UTF-8 text with LF line ends at the end in one write, while no other writer
    // using this does: on Windows with CR LF line ends, after a byte order mark in a file
    // still empty. Waits at most ten seconds for other writers; Locked when they hold the
    // file longer, and nothing is written.
    FileStatus Append(const std::string& utf8);

private:
    std::intptr_t m_handle = -1;
};

// --- User interface -----------------------------------------------------------------------

// The window that owns every message box; null for none.
void SetMessageBoxOwner(void* window);

// A modal box with an OK button and the exclamation icon, for UTF-8 text (a warning); returns
// when it is dismissed.
void ShowMessageBox(const std::string& text);
// The same for a result: the information icon for a success, the error icon for a failure.
void ShowResultBox(const std::string& text, bool failed);

}  // namespace platform
