#include "platform/Win32Security.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

namespace platform {

namespace {

// NT SERVICE\TrustedInstaller, which owns the system's own files.
bool IsTrustedInstaller(PSID sid) {
    PSID trustedInstaller = nullptr;
    if (!::ConvertStringSidToSidW(L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",
                                  &trustedInstaller)) {
        return false;
    }
    const bool same = ::EqualSid(sid, trustedInstaller) != FALSE;
    ::LocalFree(trustedInstaller);
    return same;
}

bool IsProcessUser(PSID sid) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    const bool same =
        size != 0 && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ::EqualSid(sid, reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid) != FALSE;
    ::CloseHandle(token);
    return same;
}

// A domain's "Domain Users" group: S-1-5-21-<domain>-513.
bool IsDomainUsers(PSID sid) {
    constexpr DWORD kDomainUsers = 513;
    const SID_IDENTIFIER_AUTHORITY* authority = ::GetSidIdentifierAuthority(sid);
    const UCHAR count = *::GetSidSubAuthorityCount(sid);
    return authority->Value[5] == 5 && count == 5 && *::GetSidSubAuthority(sid, 0) == 21 &&
           *::GetSidSubAuthority(sid, 4) == kDomainUsers;
}

bool IsEveryUser(PSID sid) {
    return ::IsWellKnownSid(sid, WinWorldSid) || ::IsWellKnownSid(sid, WinAuthenticatedUserSid) ||
           ::IsWellKnownSid(sid, WinBuiltinUsersSid) || ::IsWellKnownSid(sid, WinInteractiveSid) ||
           IsDomainUsers(sid);
}

}  // namespace

bool HasTrustedOwner(HANDLE object) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(object, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                          nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const bool trusted = ::IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                         ::IsWellKnownSid(owner, WinLocalSystemSid) || IsTrustedInstaller(owner) ||
                         IsProcessUser(owner);
    ::LocalFree(descriptor);
    return trusted;
}

bool IsOnShare(HANDLE file) {
    FILE_REMOTE_PROTOCOL_INFO protocol{};
    return ::GetFileInformationByHandleEx(file, FileRemoteProtocolInfo, &protocol,
                                          sizeof protocol) != FALSE;
}

bool RulesLetOthersWrite(HANDLE object) {
    constexpr ACCESS_MASK kWriting = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD |
                                     DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
    PACL rules = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(object, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                          &rules, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    bool writable = rules == nullptr;  // no rules at all: everyone may do everything
    for (DWORD index = 0; rules != nullptr && index < rules->AceCount && !writable; ++index) {
        void* entry = nullptr;
        if (!::GetAce(rules, index, &entry)) {
            continue;
        }
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        writable = allowed->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
                   (allowed->Header.AceFlags & INHERIT_ONLY_ACE) == 0 &&
                   (allowed->Mask & kWriting) != 0 &&
                   IsEveryUser(const_cast<DWORD*>(&allowed->SidStart));
    }
    ::LocalFree(descriptor);
    return writable;
}

}  // namespace platform
