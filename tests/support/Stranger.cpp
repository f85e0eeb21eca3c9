#include "support/Stranger.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include "platform/Win32Security.h"
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

bool AsStranger(const std::function<bool()>& plant) {
#ifdef _WIN32
    return plant();
#else
    if (::geteuid() != 0) {
        return plant();
    }
    const pid_t child = ::fork();
    if (child == 0) {
        // Nothing may leave the child but its exit status: it must not go on with the tests.
        constexpr uid_t kNobody = 65534;
        bool planted = false;
        try {
            planted = ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 && plant();
        } catch (...) {
        }
        ::_exit(planted ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
#endif
}

bool PlantsAsAnotherUser() {
#ifdef _WIN32
    return false;
#else
    return ::geteuid() == 0;
#endif
}

void OpenToEveryone(const std::string& folder) {
    fs::permissions(folder, fs::perms::all);
}

bool MakeSymbolicLink(const std::string& target, const std::string& link) {
#ifdef _WIN32
    (void)target;
    (void)link;
    return false;  // Wine makes no symbolic links
#else
    return ::symlink(target.c_str(), link.c_str()) == 0;
#endif
}

bool MakeHardLink(const std::string& existing, const std::string& link) {
#ifdef _WIN32
    return ::CreateHardLinkA(link.c_str(), existing.c_str(), nullptr) != FALSE;
#else
    return ::link(existing.c_str(), link.c_str()) == 0;
#endif
}

bool MakePipe(const std::string& path) {
#ifdef _WIN32
    (void)path;
    return false;
#else
    return ::mkfifo(path.c_str(), 0666) == 0;
#endif
}

bool SetModeBits(const std::string& path, unsigned mode) {
#ifdef _WIN32
    (void)path;
    (void)mode;
    return false;
#else
    return ::chmod(path.c_str(), static_cast<mode_t>(mode)) == 0;
#endif
}

unsigned OwnerOf(const std::string& path) {
#ifdef _WIN32
    (void)path;
    return 0;
#else
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 ? static_cast<unsigned>(status.st_uid) : 0;
#endif
}

unsigned ModeBits(const std::string& path) {
    return static_cast<unsigned>(fs::symlink_status(path).permissions());
}

std::map<std::string, std::string> TreeSnapshot(const std::string& root) {
    std::map<std::string, std::string> snapshot;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(root, error)) {
        const fs::file_status status = entry.symlink_status();
        std::string what = std::to_string(static_cast<int>(status.type())) + ":" +
                           std::to_string(static_cast<unsigned>(status.permissions()));
        if (status.type() == fs::file_type::regular) {
            std::ifstream in(entry.path(), std::ios::binary);
            what += ":" + std::to_string(entry.last_write_time().time_since_epoch().count()) + ":" +
                    std::string(std::istreambuf_iterator<char>(in), {});
        }
        snapshot[entry.path().string()] = what;
    }
    return snapshot;
}

#ifdef _WIN32
bool SetAccessRules(const std::string& path, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                                nullptr)) {
        return false;
    }
    const bool set =
        ::SetFileSecurityA(path.c_str(),
                           DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                           descriptor) != FALSE;
    ::LocalFree(descriptor);
    return set;
}

// The file's rules as SDDL, and whether they let another account write it.
std::string AccessRulesOf(const std::string& path, bool& othersMayWrite) {
    othersMayWrite = true;
    const HANDLE file =
        ::CreateFileA(path.c_str(), READ_CONTROL, 7, nullptr, OPEN_EXISTING, 0, nullptr);
    PACL rules = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    LPSTR text = nullptr;
    std::string sddl;
    if (::GetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &rules,
                          nullptr, &descriptor) == ERROR_SUCCESS &&
        ::ConvertSecurityDescriptorToStringSecurityDescriptorA(
            descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
        sddl = text;
        othersMayWrite = platform::RulesLetOthersWrite(rules, platform::ObjectKind::File);
    }
    ::LocalFree(text);
    ::LocalFree(descriptor);
    ::CloseHandle(file);
    return sddl;
}

bool UnderWine() {
    return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}
#endif
