#pragma once
// Windows only: who owns a file or folder, who may write into it, and whether the process
// follows only the redirections that administrators made.

#include <windows.h>

namespace platform {

// The owner is Administrators, SYSTEM, TrustedInstaller or the user running the program.
bool HasTrustedOwner(HANDLE object);

// Whether the file lies on another computer's share.
bool IsOnShare(HANDLE file);

// Whether the object's access rules let Users, Authenticated Users, Interactive, Domain
// Users or Everyone write to it (for a folder: add or remove what is in it, or change its
// rules), after the rules that deny them rights.
bool RulesLetOthersWrite(HANDLE object);

// Whether HardenProcess set the redirection trust policy (RedirectionGuard) and the system
// enforces it: junctions that a non-administrator made are then not followed.
bool RedirectionGuardActive();

}  // namespace platform
