#include "platform/Win32Security.h"

#include <aclapi.h>
#include <sddl.h>

#include <cstddef>
#include <cstring>
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

}  // namespace

bool IsTrustedAccount(PSID sid) {
    return ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
           ::IsWellKnownSid(sid, WinLocalSystemSid) || IsTrustedInstaller(sid) ||
           IsProcessUser(sid);
}

bool HasTrustedOwner(HANDLE object) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(object, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                          nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const bool trusted = owner != nullptr && IsTrustedAccount(owner);
    ::LocalFree(descriptor);
    return trusted;
}

bool IsOnShare(HANDLE file) {
    FILE_REMOTE_PROTOCOL_INFO protocol{};
    return ::GetFileInformationByHandleEx(file, FileRemoteProtocolInfo, &protocol,
                                          sizeof protocol) != FALSE;
}

ACCESS_MASK WritingRights(ObjectKind kind) {
    constexpr ACCESS_MASK kWriting = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                     FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER;
    return kind == ObjectKind::Folder ? kWriting | FILE_DELETE_CHILD : kWriting;
}

ACCESS_MASK FileRights(ACCESS_MASK mask) {
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                            FILE_ALL_ACCESS};
    ::MapGenericMask(&mask, &mapping);
    return mask;
}

namespace {

// Where the account of an object rule lies: after its flags and the kinds of object it names.
std::size_t ObjectRuleSidOffset(const unsigned char* rule, std::size_t size) {
    constexpr std::size_t kFlags = sizeof(ACE_HEADER) + sizeof(ACCESS_MASK);
    if (size < kFlags + sizeof(DWORD)) {
        return size;
    }
    DWORD flags = 0;
    std::memcpy(&flags, rule + kFlags, sizeof flags);
    std::size_t offset = kFlags + sizeof(DWORD);
    offset += (flags & ACE_OBJECT_TYPE_PRESENT) != 0 ? sizeof(GUID) : 0;
    offset += (flags & ACE_INHERITED_OBJECT_TYPE_PRESENT) != 0 ? sizeof(GUID) : 0;
    return offset;
}

}  // namespace

bool ReadRule(const ACL* rules, DWORD index, AccessRule& rule) {
    void* entry = nullptr;
    if (rules == nullptr || !::GetAce(const_cast<ACL*>(rules), index, &entry)) {
        return false;
    }
    const auto* bytes = static_cast<const unsigned char*>(entry);
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    const std::size_t size = header->AceSize;
    if (size < sizeof(ACE_HEADER) + sizeof(ACCESS_MASK)) {
        return false;
    }
    rule = AccessRule{};
    rule.flags = header->AceFlags;
    std::memcpy(&rule.mask, bytes + sizeof(ACE_HEADER), sizeof rule.mask);
    std::size_t sidOffset = sizeof(ACE_HEADER) + sizeof(ACCESS_MASK);
    switch (header->AceType) {
        case ACCESS_ALLOWED_ACE_TYPE:
        case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
            rule.effect = AccessRule::Effect::Allows;
            break;
        case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
        case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
            rule.effect = AccessRule::Effect::Allows;
            sidOffset = ObjectRuleSidOffset(bytes, size);
            break;
        case ACCESS_ALLOWED_COMPOUND_ACE_TYPE:
            rule.effect = AccessRule::Effect::Allows;
            return true;  // for a server acting as a client: no one account
        case ACCESS_DENIED_ACE_TYPE:
            rule.effect = AccessRule::Effect::Denies;
            break;
        default:
            return true;
    }
    const auto sid = reinterpret_cast<PSID>(const_cast<unsigned char*>(bytes) + sidOffset);
    if (sidOffset + offsetof(SID, SubAuthority) > size || !::IsValidSid(sid) ||
        ::GetLengthSid(sid) > size - sidOffset) {
        return false;
    }
    rule.sid = sid;
    return true;
}

namespace {

// Walks the rules in order, as the system does: a rule that allows another account some right
// to write counts for what no earlier denying rule for the same account, or for Everyone, has
// taken away. A rule whose account cannot be told counts as another's.
class OthersWriting {
public:
    explicit OthersWriting(ObjectKind kind) : m_writing(WritingRights(kind)) {}

    void Take(const AccessRule& rule) {
        if ((rule.flags & INHERIT_ONLY_ACE) != 0) {
            return;
        }
        const ACCESS_MASK mask = FileRights(rule.mask);
        if (rule.effect == AccessRule::Effect::Denies) {
            m_denied.push_back(Denial{rule.sid, mask});
        } else if (rule.effect == AccessRule::Effect::Allows &&
                   (rule.sid == nullptr || !IsTrustedAccount(rule.sid))) {
            m_allowed |= mask & m_writing & ~DeniedTo(rule.sid);
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
            if (::IsWellKnownSid(denial.sid, WinWorldSid) ||
                (sid != nullptr && ::EqualSid(denial.sid, sid))) {
                denied |= denial.mask;
            }
        }
        return denied;
    }
    const ACCESS_MASK m_writing;
    std::vector<Denial> m_denied;
    ACCESS_MASK m_allowed = 0;
};

}  // namespace

bool RulesLetOthersWrite(const ACL* rules, ObjectKind kind) {
    if (rules == nullptr) {
        return true;  // no rules: anyone may
    }
    OthersWriting writing(kind);
    for (DWORD index = 0; index < rules->AceCount; ++index) {
        AccessRule rule;
        if (!ReadRule(rules, index, rule)) {
            return true;  // a rule that cannot be read may allow anything
        }
        writing.Take(rule);
    }
    return writing.LetOthersWrite();
}

bool RulesLetOthersWrite(HANDLE object, ObjectKind kind) {
    PACL rules = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(object, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                          &rules, nullptr, &descriptor) != ERROR_SUCCESS) {
        return true;
    }
    const bool writable = RulesLetOthersWrite(rules, kind);
    ::LocalFree(descriptor);
    return writable;
}

}  // namespace platform
