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
    m_handle = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    m_held = m_handle != INVALID_HANDLE_VALUE;
#else
    m_descriptor = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    m_held = m_descriptor >= 0 && ::flock(m_descriptor, LOCK_EX | LOCK_NB) == 0;
#endif
}

ExclusiveFileHold::~ExclusiveFileHold() {
#ifdef _WIN32
    if (m_held) {
        ::CloseHandle(m_handle);
    }
#else
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
    }
#endif
}
