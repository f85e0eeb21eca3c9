#pragma once
// Windows only: the access rules that a file the run writes is given, so that no account but
// SYSTEM, Administrators, TrustedInstaller or the running account may write what it installs.

#include <windows.h>

namespace platform {

// The rule set of every kit copy and slot profile, explicit and protected from the folder's
// inherited rules: SYSTEM and Administrators full control, Users read and execute.
extern const wchar_t* const kInstalledRules;  // SDDL

// Gives the file (opened with WRITE_DAC) the rule set above.
bool GiveInstalledRules(HANDLE file);

// The rule set above as a descriptor to create a file with, so that no other account can open
// it for anything while it is written; null where it cannot be made. It lives as the program.
PSECURITY_DESCRIPTOR InstalledRulesDescriptor();

// Gives `to` (opened with READ_CONTROL and WRITE_DAC) the rules of `from`, a file it replaces,
// with every right to write that they allow another account taken out; with no `from`, it
// keeps its own rules (those it was created with) so. Rules that had a right taken out are
// set explicit and protected, as the folder would otherwise give the right back. Rules that
// cannot be read are replaced by the installed rule set.
bool KeepRulesWithoutOthersWriting(HANDLE from, HANDLE to);

}  // namespace platform
