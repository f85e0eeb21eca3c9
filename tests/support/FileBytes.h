#pragma once
// Small file helpers for tests: whole-file bytes, folders, read-only state and times.

#include <string>
#include <vector>

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
// Makes the file `size` bytes long; sparse where the system can.
bool ResizeFile(const std::string& path, unsigned long long size);
void MakeFolder(const std::string& path);
void SetReadOnly(const std::string& path, bool readOnly);
bool IsReadOnlyFile(const std::string& path);
// Gives the file the hidden attribute; on POSIX a name that starts with a dot is hidden.
void SetHidden(const std::string& path);
// Moves the file's last-write time by `seconds` (negative: into the past).
void ShiftWriteTime(const std::string& path, long long seconds);
long long WriteTimeDifference(const std::string& left, const std::string& right);
// Names in a folder, sorted.
std::vector<std::string> FolderNames(const std::string& path);
void SetEnvironment(const std::string& name, const std::string& value);
void UnsetEnvironment(const std::string& name);
