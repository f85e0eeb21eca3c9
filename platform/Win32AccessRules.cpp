#include "platform/Win32AccessRules.h"

#include <aclapi.h>
#include <sddl.h>

#include <cstring>
#include <vector>

#include "platform/Win32Security.h"

namespace platform {

const wchar_t* const kInstalledRules = L"D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1200a9;;;BU)";

namespace {

// Sets the rules through the handle itself, as the system's own call on a handle does (a
// file's name could have come to mean another file). A protected set takes nothing from the
// folder.
bool SetRules(HANDLE file, PSECURITY_DESCRIPTOR descriptor, bool isProtected) {
    const SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION |
        (isProtected ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
    return ::SetKernelObjectSecurity(file, what, descriptor) != FALSE;
}

// The rules of an object, or none when they cannot be read (or are no list at all: anyone may).
struct ReadRules {
    PACL rules = nullptr;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    PSECURITY_DESCRIPTOR descriptor = nullptr;

    explicit ReadRules(HANDLE object) {
        DWORD revision = 0;
        if (::GetSecurityInfo(object, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &rules, nullptr, &descriptor) != ERROR_SUCCESS ||
            !::GetSecurityDescriptorControl(descriptor, &control, &revision)) {
            rules = nullptr;
        }
    }
    ~ReadRules() { ::LocalFree(descriptor); }
    ReadRules(const ReadRules&) = delete;
    ReadRules& operator=(const ReadRules&) = delete;
};

// A copy of the rules in which no account but the trusted ones is allowed a right to write;
// a rule left with no right goes. `changed` tells whether any rule lost a right.
bool WithoutOthersWriting(const ACL& rules, std::vector<unsigned char>& copy, bool& changed) {
    changed = false;
    copy.assign(rules.AclSize, 0);
    auto* list = reinterpret_cast<PACL>(copy.data());
    if (!::InitializeAcl(list, rules.AclSize, rules.AclRevision)) {
        return false;
    }
    const ACCESS_MASK writing = WritingRights(ObjectKind::File);
    for (DWORD index = 0; index < rules.AceCount; ++index) {
        AccessRule rule;
        void* entry = nullptr;
        if (!ReadRule(&rules, index, rule) || !::GetAce(const_cast<ACL*>(&rules), index, &entry)) {
            return false;
        }
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        std::vector<unsigned char> bytes(
            static_cast<const unsigned char*>(entry),
            static_cast<const unsigned char*>(entry) + header->AceSize);
        ACCESS_MASK mask = FileRights(rule.mask);
        if (rule.effect == AccessRule::Effect::Allows &&
            (rule.sid == nullptr || !IsTrustedAccount(rule.sid)) && (mask & writing) != 0) {
            changed = true;
            mask &= ~writing;
            if ((mask & ~SYNCHRONIZE) == 0) {
                continue;
            }
            std::memcpy(bytes.data() + sizeof(ACE_HEADER), &mask, sizeof mask);
        }
        if (!::AddAce(list, rules.AclRevision, MAXDWORD, bytes.data(),
                      static_cast<DWORD>(bytes.size()))) {
            return false;
        }
    }
    if (changed) {
        // Explicit now: protected rules have no inherited ones.
        for (DWORD index = 0; index < list->AceCount; ++index) {
            void* entry = nullptr;
            if (::GetAce(list, index, &entry)) {
                static_cast<ACE_HEADER*>(entry)->AceFlags &= ~INHERITED_ACE;
            }
        }
    }
    return true;
}

}  // namespace

PSECURITY_DESCRIPTOR InstalledRulesDescriptor() {
    static const PSECURITY_DESCRIPTOR descriptor = [] {
        PSECURITY_DESCRIPTOR made = nullptr;
        return ::ConvertStringSecurityDescriptorToSecurityDescriptorW(
                   kInstalledRules, SDDL_REVISION_1, &made, nullptr)
                   ? made
                   : nullptr;
    }();
    return descriptor;
}

bool GiveInstalledRules(HANDLE file) {
    const PSECURITY_DESCRIPTOR descriptor = InstalledRulesDescriptor();
    return descriptor != nullptr && SetRules(file, descriptor, true);
}

bool KeepRulesWithoutOthersWriting(HANDLE from, HANDLE to) {
    const ReadRules source(from != nullptr ? from : to);
    if (source.rules == nullptr) {
        return GiveInstalledRules(to);
    }
    std::vector<unsigned char> copy;
    bool changed = false;
    if (!WithoutOthersWriting(*source.rules, copy, changed)) {
        return GiveInstalledRules(to);
    }
    if (from == nullptr && !changed) {
        return true;  // its own rules, as they are
    }
    const bool isProtected = changed || (source.control & SE_DACL_PROTECTED) != 0;
    SECURITY_DESCRIPTOR descriptor{};
    if (!::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !::SetSecurityDescriptorDacl(&descriptor, TRUE, reinterpret_cast<PACL>(copy.data()),
                                     FALSE)) {
        return false;
    }
    const SECURITY_DESCRIPTOR_CONTROL kept = SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED;
    const SECURITY_DESCRIPTOR_CONTROL control =
        isProtected ? SE_DACL_PROTECTED : (source.control & SE_DACL_AUTO_INHERITED);
    ::SetSecurityDescriptorControl(&descriptor, kept, control);
    return SetRules(to, &descriptor, isProtected);
}

}  // namespace platform
