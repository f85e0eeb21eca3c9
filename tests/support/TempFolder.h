#pragma once
// A fresh folder for one test, removed with everything in it afterwards.

#include <initializer_list>
#include <string>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    // The folder joined with each name by the system's separator.
    std::string Join(std::initializer_list<const char*> names) const;

private:
    std::string m_path;
};

// Removes a folder tree even where files in it are read-only.
void RemoveTree(const std::string& path);
