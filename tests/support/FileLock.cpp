#include "support/FileLock.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

ExclusiveFileHold::ExclusiveFileHold(const std::string& path) {
#ifdef _WIN32
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    m_held = file != INVALID_HANDLE_VALUE;
    m_file = reinterpret_cast<std::intptr_t>(file);
#else
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    m_file = descriptor;
    m_held = descriptor >= 0 && ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
#endif
}

ExclusiveFileHold::~ExclusiveFileHold() {
#ifdef _WIN32
    if (m_held) {
        ::CloseHandle(reinterpret_cast<HANDLE>(m_file));
    }
#else
    if (m_file >= 0) {
        ::close(static_cast<int>(m_file));
    }
#endif
}
