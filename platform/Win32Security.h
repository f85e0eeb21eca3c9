#pragma once
// Windows only: who owns a file or folder, who may write into it, and whether the process
// follows only the redirections that administrators made.

#include <windows.h>

namespace platform {

// SYSTEM, Administrators, TrustedInstaller or the user running the program: the accounts that
// may hold what the run installs.
bool IsTrustedAccount(PSID sid);

// The owner is one of the trusted accounts.
bool HasTrustedOwner(HANDLE object);

// Whether the file lies on another computer's share.
bool IsOnShare(HANDLE file);

enum class ObjectKind { File, Folder };

// The rights that let an account change an object or who may: write, append, write its
// attributes or extended attributes, delete it, rewrite its rules or take it over, and for a
// folder also delete what is in it.
ACCESS_MASK WritingRights(ObjectKind kind);

// A right as the file system grants it: the generic rights of a rule mapped to a file's.
ACCESS_MASK FileRights(ACCESS_MASK mask);

// One rule of an access control list as the access check reads it.
struct AccessRule {
    enum class Effect { Allows, Denies, Other };  // Other: never more than it allows
    Effect effect = Effect::Other;
    BYTE flags = 0;
    ACCESS_MASK mask = 0;  // as stored
    PSID sid = nullptr;    // null: an account that cannot be told (a compound rule)
};

// The rule at `index`; false when there is none or it is malformed. Only a plain denying rule
// denies: a callback one may not apply, and an object one need not apply to the whole file.
bool ReadRule(const ACL* rules, DWORD index, AccessRule& rule);

// Whether the access rules let any account but the trusted ones write (WritingRights): every
// allowing rule counts, a callback or object rule too, for what no earlier denying rule for
// the same account or for Everyone has taken away. No rules at all let anyone.
bool RulesLetOthersWrite(const ACL* rules, ObjectKind kind);

// The same for an object's rules; rules that cannot be read count as letting others write.
bool RulesLetOthersWrite(HANDLE object, ObjectKind kind);

}  // namespace platform
