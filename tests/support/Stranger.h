#pragma once
// What another user of a shared PC can plant in a folder that every user may write: links,
// hard links, pipes, odd modes. When the tests run as root, the planting runs as an
// unprivileged user, so that the case is the real one.

#include <functional>
#include <map>
#include <string>

// Runs `plant` as another, unprivileged user when the tests run as root (POSIX), else as the
// current user. True when it ran and returned true.
bool AsStranger(const std::function<bool()>& plant);
// Whether AsStranger runs as another user.
bool PlantsAsAnotherUser();

// Lets every user create and remove names in the folder.
void OpenToEveryone(const std::string& folder);

// False where the system (or Wine) cannot make the thing.
bool MakeSymbolicLink(const std::string& target, const std::string& link);
bool MakeHardLink(const std::string& existing, const std::string& link);
bool MakePipe(const std::string& path);
bool SetModeBits(const std::string& path, unsigned mode);
unsigned ModeBits(const std::string& path);
// The user that owns the name (POSIX); 0 elsewhere.
unsigned OwnerOf(const std::string& path);

// Every name below `root` with what it is: kind, mode and (for files) last-write time and
// bytes. Equal snapshots mean nothing there was written, created, removed, touched or
// changed in mode.
std::map<std::string, std::string> TreeSnapshot(const std::string& root);

#ifdef _WIN32
// Sets a file's access rules from SDDL, protected from the folder's; false where the system
// keeps none.
bool SetAccessRules(const std::string& path, const wchar_t* sddl);
// A file's access rules as SDDL, and whether they let an account other than the trusted ones
// write it.
std::string AccessRulesOf(const std::string& path, bool& othersMayWrite);
// Whether the tests run under Wine, which keeps of a rule set only what modes can tell.
bool UnderWine();
#endif
