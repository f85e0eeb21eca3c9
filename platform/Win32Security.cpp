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

namespace {

// The rights to write, or to change who may: what a user must not have in the kit's folders.
constexpr ACCESS_MASK kWriting = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD |
                                 DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// Walks the rules in order, as the system does: a rule that allows every user (one of the
// groups above) some right to write counts for what no earlier denying rule for the same group,
// or for Everyone, has taken away.
class WritingRights {
public:
    void Take(const ACE_HEADER& header, PSID sid, ACCESS_MASK mask) {
        if ((header.AceFlags & INHERIT_ONLY_ACE) != 0 || !IsEveryUser(sid)) {
            return;
        }
        if (header.AceType == ACCESS_DENIED_ACE_TYPE) {
            m_denied.push_back(Denial{sid, mask});
        } else if (header.AceType == ACCESS_ALLOWED_ACE_TYPE) {
            m_allowed |= mask & kWriting & ~DeniedTo(sid);
        }
    }
    bool LetOthersWrite() const { return m_allowed != 0; }

private:
    struct Denial {
        PSID sid;
        ACCESS_MASK mask;
    };
    ACCESS_MASK DeniedTo(PSID sid) const {
        ACCESS_MASK denied = 0;
        for (const Denial& denial : m_denied) {
            if (::EqualSid(denial.sid, sid) || ::IsWellKnownSid(denial.sid, WinWorldSid)) {
                denied |= denial.mask;
            }
        }
        return denied;
    }
    std::vector<Denial> m_denied;
    ACCESS_MASK m_allowed = 0;
};

}  // namespace

bool RulesLetOthersWrite(HANDLE object) {
    PACL rules = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(object, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                          &rules, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    WritingRights rights;
    for (DWORD index = 0; rules != nullptr && index < rules->AceCount; ++index) {
        void* entry = nullptr;
        if (::GetAce(rules, index, &entry)) {
            // An allowing and a denying rule are laid out alike.
            auto* rule = static_cast<ACCESS_ALLOWED_ACE*>(entry);
            rights.Take(rule->Header, &rule->SidStart, rule->Mask);
        }
    }
    const bool writable = rules == nullptr || rights.LetOthersWrite();  // no rules: anyone may
    ::LocalFree(descriptor);
    return writable;
}

}  // namespace platform
