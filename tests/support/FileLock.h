#pragma once
// Holds a file open with exclusive use, as another program (a driver) may.

#include <cstdint>
#include <string>

class ExclusiveFileHold {
public:
    explicit ExclusiveFileHold(const std::string& path);
    ~ExclusiveFileHold();
    ExclusiveFileHold(const ExclusiveFileHold&) = delete;
    ExclusiveFileHold& operator=(const ExclusiveFileHold&) = delete;
    bool IsHeld() const { return m_held; }

private:
    bool m_held = false;
    std::intptr_t m_file = -1;  // a HANDLE on Windows, a descriptor elsewhere
};
