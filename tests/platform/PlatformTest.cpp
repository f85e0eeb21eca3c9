// The platform layer of the running system, on real files.

#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <winioctl.h>
#endif

#include "platform/TestSeam.h"
#ifdef _WIN32
#include "platform/Win32Bounded.h"
#include "platform/Win32Security.h"
#endif
#include "support/FileBytes.h"
#include "support/PeImage.h"
#include "support/Stranger.h"
#include "support/TempFolder.h"

namespace {

class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(platform::OpenFolder(folder.Path(), held), platform::FileStatus::Ok);
    }
    void TearDown() override { platform::ClearFailures(); }
    TempFolder folder;
    platform::Folder held;
};

#ifdef _WIN32
// Whether another handle may open the folder for adding files, as a renamer into it must.
bool CanOpenForWriting(const std::string& folder) {
    const HANDLE handle =
        ::CreateFileA(folder.c_str(), FILE_ADD_FILE | SYNCHRONIZE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::CloseHandle(handle);
    return true;
}
#endif

}  // namespace

TEST_F(PlatformTest, KitFilesAreWrittenWithTheirTimeAndReadOnlyState) {
    const std::string source = folder.Join({"source.xml"});
    const std::string target = folder.Join({"target.xml"});
    WriteBytes(source, "profile");
    ShiftWriteTime(source, -3600);
    SetReadOnly(source, true);
    platform::KitFile kit;
    ASSERT_EQ(platform::ReadKitFile(source, 100, kit), platform::FileStatus::Ok);
    EXPECT_EQ(kit.bytes, "profile");
    ASSERT_EQ(
        platform::WriteKitFile(held, "target.xml", kit, platform::HiddenTarget::Refuse, nullptr),
        platform::FileStatus::Ok);
    EXPECT_EQ(ReadBytes(target), "profile");
    EXPECT_EQ(WriteTimeDifference(target, source), 0);
    EXPECT_TRUE(IsReadOnlyFile(target));
    EXPECT_EQ(platform::ReadKitFile(source, 6, kit), platform::FileStatus::TooLarge);
    EXPECT_EQ(platform::ReadKitFile(folder.Join({"missing"}), 100, kit),
              platform::FileStatus::Missing);
}

TEST_F(PlatformTest, KitFilesNeverReplaceAReadOnlyHiddenOrChangedTarget) {
    const std::string target = folder.Join({"target.xml"});
    const std::string hidden = folder.Join({".hidden.xml"});
    platform::KitFile kit;
    kit.bytes = "new";
    kit.permissions = 0644;
    const auto write = [&](const char* name, platform::HiddenTarget policy,
                           const platform::FileIdentity* expected) {
        return platform::WriteKitFile(held, name, kit, policy, expected);
    };
    const platform::HiddenTarget refuse = platform::HiddenTarget::Refuse;
    WriteBytes(target, "old");
    ASSERT_EQ(write("target.xml", refuse, nullptr), platform::FileStatus::Ok);
    EXPECT_EQ(ReadBytes(target), "new");
    WriteBytes(target, "old");
    SetReadOnly(target, true);
    EXPECT_EQ(write("target.xml", refuse, nullptr), platform::FileStatus::ReadOnly);
    EXPECT_EQ(ReadBytes(target), "old");
    WriteBytes(hidden, "old");
    SetHidden(hidden);
    EXPECT_EQ(write(".hidden.xml", refuse, nullptr), platform::FileStatus::Hidden);
    EXPECT_EQ(ReadBytes(hidden), "old");
    EXPECT_EQ(write(".hidden.xml", platform::HiddenTarget::Replace, nullptr),
              platform::FileStatus::Ok);
    EXPECT_EQ(ReadBytes(hidden), "new");
    // What was seen must still hold: a file where none was, or another file than the one seen.
    const platform::FileIdentity none;
    EXPECT_EQ(write(".hidden.xml", platform::HiddenTarget::Replace, &none),
              platform::FileStatus::Changed);
    platform::FileInfo seen;
    ASSERT_EQ(platform::InspectFile(held, ".hidden.xml", seen), platform::FileStatus::Ok);
    WriteBytes(hidden, "rewritten meanwhile");
    EXPECT_EQ(write(".hidden.xml", platform::HiddenTarget::Replace, &seen.identity),
              platform::FileStatus::Changed);
    EXPECT_EQ(FolderNames(folder.Path()), (std::vector<std::string>{".hidden.xml", "target.xml"}));
}

TEST_F(PlatformTest, ListsFilesAndFoldersAndTellsThemApart) {
    MakeFolder(folder.Join({"sub"}));
    WriteBytes(folder.Join({"file.txt"}), "x");
    std::vector<platform::FolderEntry> entries;
    ASSERT_TRUE(platform::ListFolder(folder.Path(), entries));
    int files = 0, folders = 0;
    for (const auto& entry : entries) {
        if (entry.name == "file.txt" && !entry.isDirectory) {
            ++files;
        }
        if (entry.name == "sub" && entry.isDirectory) {
            ++folders;
        }
    }
    EXPECT_EQ(files, 1);
    EXPECT_EQ(folders, 1);
    EXPECT_FALSE(platform::ListFolder(folder.Join({"missing"}), entries));
    EXPECT_TRUE(platform::IsExistingDirectory(folder.Join({"sub"})));
    EXPECT_FALSE(platform::IsExistingDirectory(folder.Join({"file.txt"})));
    EXPECT_FALSE(platform::IsExistingDirectory(folder.Join({"missing"})));
}

TEST_F(PlatformTest, RemoveTakesAwayEvenAReadOnlyFile) {
    WriteBytes(folder.Join({"a"}), "a");
    SetReadOnly(folder.Join({"a"}), true);
    EXPECT_EQ(platform::RemoveFile(held, "a"), platform::FileStatus::Ok);
    EXPECT_FALSE(Exists(folder.Join({"a"})));
    EXPECT_EQ(platform::RemoveFile(held, "a"), platform::FileStatus::Missing);
}

TEST_F(PlatformTest, VersionResourceIsSeenInImagesOnly) {
    WriteBytes(folder.Join({"versioned.dll"}), VersionedFileBytes());
    WriteBytes(folder.Join({"plain.xml"}), "<profile/>");
    EXPECT_TRUE(platform::HasVersionResource(held, "versioned.dll"));
    EXPECT_FALSE(platform::HasVersionResource(held, "plain.xml"));
    EXPECT_FALSE(platform::HasVersionResource(held, "missing.dll"));
}

TEST_F(PlatformTest, EnvironmentTextsAreReadAsTheyStand) {
    std::string value;
    SetEnvironment("BRENWICK_TEST_VALUE", "C:\\x");
    EXPECT_TRUE(platform::GetEnvironmentText("BRENWICK_TEST_VALUE", value));
    EXPECT_EQ(value, "C:\\x");
    UnsetEnvironment("BRENWICK_TEST_VALUE");
    EXPECT_FALSE(platform::GetEnvironmentText("BRENWICK_TEST_VALUE", value));
}

TEST_F(PlatformTest, TheSeamFailsTheChosenCallOnceOrFromThenOn) {
    WriteBytes(folder.Join({"f"}), "x");
    std::string bytes;
    platform::FileIdentity identity;
    const auto read = [&] {
        return platform::ReadFileForUpdate(held, "f", platform::kAnySize, bytes, identity) ==
               platform::FileStatus::Ok;
    };
    platform::FailCall(platform::Call::ReadFileForUpdate, 2);
    EXPECT_TRUE(read());
    EXPECT_FALSE(read());
    EXPECT_TRUE(read());
    platform::FailCall(platform::Call::ReadFileForUpdate, 1, true);
    EXPECT_FALSE(read());
    EXPECT_FALSE(read());
    platform::ClearFailures();
    EXPECT_TRUE(read());

    platform::RecordMessageBoxes(true);
    platform::ShowMessageBox("通帳");
    EXPECT_EQ(platform::TakeRecordedMessageBoxes(), std::vector<std::string>{"通帳"});
    platform::RecordMessageBoxes(false);
}

// Another user who swaps the temporary file for a file of theirs before the rename: on POSIX,
// where the rename goes by name, the write reports the change; on Windows the temporary file
// is held without sharing deletion and renamed through its handle, so the swap is refused.
TEST_F(PlatformTest, ATemporaryFileSwappedBeforeTheRenameIsCaughtOrRefused) {
    WriteBytes(folder.Join({"list.ini"}), "old");
    bool seen = false;
    bool swapped = false;
    platform::OnTemporaryFileWritten([&](const std::string& temporary) {
        seen = true;
        std::error_code error;
        swapped = std::filesystem::remove(temporary, error);
        if (swapped) {
            WriteBytes(temporary, "planted");
        }
    });
    const platform::FileStatus status =
        platform::WriteFileReplacing(held, "list.ini", "new", nullptr);
    ASSERT_TRUE(seen);
#ifdef _WIN32
    EXPECT_FALSE(swapped);
    EXPECT_EQ(status, platform::FileStatus::Ok);
    EXPECT_EQ(ReadBytes(folder.Join({"list.ini"})), "new");
#else
    EXPECT_TRUE(swapped);
    EXPECT_EQ(status, platform::FileStatus::Changed);
#endif
    EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::string>{"list.ini"});
}

TEST_F(PlatformTest, FoldersAreEnteredOneRealFolderAtATimeAndHeld) {
    MakeFolder(folder.Join({"a", "b"}));
    WriteBytes(folder.Join({"a", "file"}), "x");
    platform::Folder opened, other;
    std::string foreign = "stale";
    ASSERT_EQ(platform::OpenFolderBeneath(folder.Path(), {"a", "b"}, opened, foreign),
              platform::FileStatus::Ok);
    EXPECT_EQ(opened.Path(), folder.Join({"a", "b"}));
    EXPECT_EQ(foreign, "");  // all made by the user running the tests
    EXPECT_EQ(platform::OpenFolderBeneath(folder.Path(), {"a", "file"}, other, foreign),
              platform::FileStatus::Missing);
    EXPECT_EQ(platform::OpenFolderBeneath(folder.Path(), {"a", "none"}, other, foreign),
              platform::FileStatus::Missing);
    EXPECT_FALSE(other.IsOpen());
    if (MakeSymbolicLink(folder.Join({"a"}), folder.Join({"link"}))) {
        EXPECT_EQ(platform::OpenFolderBeneath(folder.Path(), {"link", "b"}, other, foreign),
                  platform::FileStatus::Unsafe);
    }
#ifdef _WIN32
    std::error_code error;
    std::filesystem::rename(folder.Join({"a", "b"}), folder.Join({"a", "moved"}), error);
    EXPECT_TRUE(error) << "a held folder cannot be renamed";
    // But opened for writing: the tool's own writes are renamed into it.
    EXPECT_TRUE(CanOpenForWriting(folder.Join({"a", "b"})));
    // The folders above are only passed through: a reader who holds them without sharing
    // keeps no one out, and one who holds the folder itself so makes it busy.
    const auto holdAlone = [](const std::string& path) {
        return ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    };
    platform::Folder again;
    const HANDLE above = holdAlone(folder.Join({"a"}));
    ASSERT_NE(above, INVALID_HANDLE_VALUE);
    EXPECT_EQ(platform::OpenFolderBeneath(folder.Path(), {"a", "b"}, again, foreign),
              platform::FileStatus::Ok);
    ::CloseHandle(above);
    MakeFolder(folder.Join({"c", "d"}));
    const HANDLE itself = holdAlone(folder.Join({"c", "d"}));
    ASSERT_NE(itself, INVALID_HANDLE_VALUE);
    EXPECT_EQ(platform::OpenFolderBeneath(folder.Path(), {"c", "d"}, other, foreign),
              platform::FileStatus::Locked);
    ::CloseHandle(itself);
    // The same folder held twice at once (as a check beside an installation holds it).
    EXPECT_EQ(platform::WriteFileReplacing(again, "f", "x", nullptr), platform::FileStatus::Ok);
    EXPECT_EQ(platform::WriteFileReplacing(opened, "f", "y", nullptr), platform::FileStatus::Ok);
    EXPECT_EQ(ReadBytes(folder.Join({"a", "b", "f"})), "y");
#else
    std::error_code error;
    std::filesystem::rename(folder.Join({"a"}), folder.Join({"moved"}), error);
    // Renamed or not, names are resolved in the folder that was entered.
    platform::FileInfo info;
    EXPECT_EQ(platform::InspectFile(opened, "missing", info), platform::FileStatus::Missing);
    WriteBytes(folder.Join({"moved", "b", "f"}), "x");
    EXPECT_EQ(platform::InspectFile(opened, "f", info), platform::FileStatus::Ok);
    EXPECT_EQ(info.kind, platform::FileKind::Regular);
#endif
}

TEST_F(PlatformTest, NamesAreLookedUpInTheHeldFolderWhateverItsPathComesToMean) {
    MakeFolder(folder.Join({"c", "d"}));
    WriteBytes(folder.Join({"c", "d", "f"}), "checked");
    platform::Folder opened;
    ASSERT_EQ(platform::OpenFolder(folder.Join({"c", "d"}), opened), platform::FileStatus::Ok);
    std::error_code error;
    std::filesystem::rename(folder.Join({"c"}), folder.Join({"moved"}), error);
    if (error) {
        GTEST_SKIP() << "Windows renames no folder that has an open handle beneath it";
    }
    MakeFolder(folder.Join({"c", "d"}));  // a lookalike where the held folder was
    WriteBytes(folder.Join({"c", "d", "f"}), "planted");
    std::string bytes;
    platform::FileIdentity identity;
    EXPECT_EQ(platform::ReadFileShared(opened, "f", platform::kAnySize, bytes, identity),
              platform::FileStatus::Ok);
    EXPECT_EQ(bytes, "checked");
    // Done in the held folder, or not at all: Wine refuses a rename relative to a moved folder
    // (and fails on the access rules of a file there, so no file is replaced here).
    platform::WriteFileReplacing(opened, "new", "written", nullptr);
    platform::RemoveFile(opened, "f");
    EXPECT_EQ(FolderNames(folder.Join({"c", "d"})), std::vector<std::string>{"f"});
    EXPECT_EQ(ReadBytes(folder.Join({"c", "d", "f"})), "planted");
}

#ifdef _WIN32
namespace {

bool IsOwnedByAnonymous(const std::string& path) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                                nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const bool anonymous = ::IsWellKnownSid(owner, WinAnonymousSid) != FALSE;
    ::LocalFree(descriptor);
    return anonymous;
}

}  // namespace

// A folder's owner may rewrite its rules; a rule that allows another account to write counts
// only for what an earlier rule does not deny it.
TEST_F(PlatformTest, WhoElseMayWriteAFolderIsToldByItsOwnerAndItsRulesInOrder) {
    const std::string kit = folder.Join({"kit"});
    MakeFolder(kit);
    const struct {
        const wchar_t* rules;  // SDDL; 0xd0156: every right to write into a folder or its rules
        bool othersMayWrite;
    } rows[] = {
        {L"D:P(A;;FA;;;BA)(A;;0x1200a9;;;WD)", false},
        {L"D:P(A;;FA;;;BA)(A;;FA;;;WD)", true},
        {L"D:P(D;;0xd0156;;;WD)(A;;FA;;;BA)(A;;FA;;;BU)", false},
        {L"D:P(D;;0xd0156;;;BU)(A;;FA;;;BA)(A;;FA;;;WD)", true},
        {L"D:P(A;;FA;;;BA)(A;;FA;;;WD)(D;;0xd0156;;;WD)", true},
        {L"O:ANG:BAD:P(A;;FA;;;BA)", true},
    };
    // Judged on the rules alone, as Wine keeps on a file only what its modes can tell: any
    // account but the trusted ones, any right that changes the file or who may, for a folder
    // also deleting what is in it, and every kind of allowing rule.
    const struct {
        const wchar_t* rules;
        bool folderWritable;
        bool fileWritable;
    } judged[] = {
        {L"D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1200a9;;;BU)", false, false},
        {L"D:P(A;;FA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)", false,
         false},
        {L"D:P(A;;0x2;;;S-1-5-21-1-2-3-1001)", true, true},  // a user's own account
        {L"D:P(A;;0x100;;;LO)", true, true},                 // LOCAL: write attributes
        {L"D:P(A;;0x10;;;S-1-2-1)", true, true},             // Console Logon: write EA
        {L"D:P(A;;0x40;;;RD)", true, false},                 // delete what is in a folder
        {L"D:P(A;;GW;;;S-1-5-21-1-2-3-2001)", true, true},   // a group, generic write
        {L"D:P(A;;0x80000;;;IU)", true, true},               // take ownership
        {L"D:P(A;OICIIO;GA;;;CO)", false, false},            // only for what is made in it
        {L"D:P(D;;FA;;;WD)(A;;FA;;;AU)", false, false},
        {L"D:P(D;;0xd0046;;;WD)(A;;FA;;;AU)", true, true},  // attributes left to write
        {L"D:P(D;;FA;;;BU)(A;;FA;;;AU)", true, true},       // no knowing who of them is a user
        {L"D:P(OA;;0x2;00000000-0000-0000-0000-000000000001;;WD)", true, true},
        {L"D:P(XA;;0x2;;;WD;(Member_of {SID(BA)}))", true, true},  // a callback rule
    };
    for (const auto& row : judged) {
        SCOPED_TRACE(row.rules);
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(row.rules, SDDL_REVISION_1,
                                                                    &descriptor, nullptr)) {
            continue;  // Wine reads no conditional rules
        }
        BOOL present = FALSE;
        BOOL defaulted = FALSE;
        PACL rules = nullptr;
        ASSERT_TRUE(::GetSecurityDescriptorDacl(descriptor, &present, &rules, &defaulted));
        EXPECT_EQ(platform::RulesLetOthersWrite(rules, platform::ObjectKind::Folder),
                  row.folderWritable);
        EXPECT_EQ(platform::RulesLetOthersWrite(rules, platform::ObjectKind::File),
                  row.fileWritable);
        ::LocalFree(descriptor);
    }
    // And on the folder, as far as the system keeps the rules.
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            row.rules, SDDL_REVISION_1, &descriptor, nullptr));
        const SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION |
                                          PROTECTED_DACL_SECURITY_INFORMATION |
                                          (row.rules[0] == L'O' ? OWNER_SECURITY_INFORMATION : 0);
        const bool set = ::SetFileSecurityA(kit.c_str(), what, descriptor) != FALSE;
        ::LocalFree(descriptor);
        if (!set) {
            GTEST_SKIP() << "the system keeps no access rules here";
        }
        if ((what & OWNER_SECURITY_INFORMATION) != 0 && !IsOwnedByAnonymous(kit)) {
            continue;  // Wine keeps the rules but not an owner given to another account
        }
        EXPECT_EQ(platform::OthersMayWrite(kit), row.othersMayWrite);
    }
}

namespace {

// A handle of another program that holds an oplock on a file; Wine grants none.
struct OplockHolder {
    HANDLE file = INVALID_HANDLE_VALUE;
    bool granted = false;
    OVERLAPPED broken{};
    REQUEST_OPLOCK_OUTPUT_BUFFER state{};

    // A level 1 oplock, for sole use; or a Read-Handle one, which shares the file with anyone
    // and is broken by a deletion or rename, which then waits for it to be acknowledged.
    bool Take(const std::string& path, bool readHandle) {
        constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        file = ::CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OVERLAPPED, nullptr);
        broken.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        BOOL done = FALSE;
        if (readHandle) {
            REQUEST_OPLOCK_INPUT_BUFFER request{REQUEST_OPLOCK_CURRENT_VERSION, sizeof request,
                                                OPLOCK_LEVEL_CACHE_READ | OPLOCK_LEVEL_CACHE_HANDLE,
                                                REQUEST_OPLOCK_INPUT_FLAG_REQUEST};
            state.StructureVersion = REQUEST_OPLOCK_CURRENT_VERSION;
            state.StructureLength = sizeof state;
            done = ::DeviceIoControl(file, FSCTL_REQUEST_OPLOCK, &request, sizeof request, &state,
                                     sizeof state, nullptr, &broken);
        } else {
            done = ::DeviceIoControl(file, FSCTL_REQUEST_OPLOCK_LEVEL_1, nullptr, 0, nullptr, 0,
                                     nullptr, &broken);
        }
        granted = !done && ::GetLastError() == ERROR_IO_PENDING;
        return granted;
    }
    // Ends the oplock, which lets a call that waits on it through.
    void Release() {
        ::CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
    ~OplockHolder() {
        Release();
        ::WaitForSingleObject(broken.hEvent, granted ? 10000 : 0);
        ::CloseHandle(broken.hEvent);
    }
};

}  // namespace

// A call that waits on another program is cancelled once the limit is up, and says so; one
// that returns in time gives its own result. A read of a pipe nobody writes stands for the wait
// on an oplock, which only Windows grants.
TEST_F(PlatformTest, ACallThatWaitsOnAnotherProgramIsCancelledAtTheLimit) {
    HANDLE reading = nullptr;
    HANDLE writing = nullptr;
    ASSERT_TRUE(::CreatePipe(&reading, &writing, nullptr, 0));
    char byte = 0;
    DWORD count = 0;
    const auto read = [&] { return ::ReadFile(reading, &byte, 1, &count, nullptr); };
    platform::LimitWaits(300);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(platform::Bounded(read));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(writing, "x", 1, &written, nullptr));
    EXPECT_TRUE(platform::Bounded(read));
    EXPECT_EQ(byte, 'x');
    platform::LimitWaits(0);
    ::CloseHandle(reading);
    ::CloseHandle(writing);
}

// The oplock is broken, never waited for beyond the limit: the file counts as held by another
// program, and stays as it was.
TEST_F(PlatformTest, AnOplockedFileIsHeldByAnotherProgramNotWaitedFor) {
    const std::string path = folder.Join({"f"});
    for (const bool readHandle : {false, true}) {
        SCOPED_TRACE(readHandle ? "Read-Handle" : "level 1");
        WriteBytes(path, "x");
        OplockHolder holder;
        if (!holder.Take(path, readHandle)) {
            GTEST_SKIP() << "the system grants no oplock (Wine)";
        }
        platform::LimitWaits(1000);
        auto call = std::async(std::launch::async, [&] {
            if (readHandle) {
                return platform::RemoveFile(held, "f");
            }
            std::string bytes;
            platform::FileIdentity identity;
            return platform::ReadFileShared(held, "f", platform::kAnySize, bytes, identity);
        });
        const bool waited = call.wait_for(std::chrono::seconds(8)) == std::future_status::timeout;
        holder.Release();
        EXPECT_FALSE(waited);
        EXPECT_EQ(call.get(), platform::FileStatus::Locked);
        platform::LimitWaits(0);
        EXPECT_TRUE(Exists(path));
    }
}
#endif
