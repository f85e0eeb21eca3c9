// The services of the console program on POSIX systems: arguments, UTF-8 text, the log.

#include <fcntl.h>
#include <iconv.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <vector>

#include "platform/Platform.h"
#include "platform/PosixFiles.h"
#include "platform/PosixIo.h"
#include "platform/SystemCalls.h"

namespace platform {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int index = 1; index < argc; ++index) {
        arguments.emplace_back(argv[index]);
    }
    return arguments;
}

std::string TextToUtf8(const std::string& text) {
    const iconv_t converter = ::iconv_open("UTF-8", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return text;
    }
    std::string input = text;
    std::string output(text.size() * 3 + 4, '\0');
    char* in = &input[0];
    char* out = &output[0];
    std::size_t inLeft = input.size();
    std::size_t outLeft = output.size();
    while (inLeft > 0 &&
           ::iconv(converter, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1)) {
        // A byte that is no character of the code page stands as U+FFFD.
        if (errno != EILSEQ && errno != EINVAL) {
            break;
        }
        ++in;
        --inLeft;
        static const char kReplacement[] = "\xEF\xBF\xBD";
        for (const char byte : std::string(kReplacement)) {
            *out++ = byte;
            --outLeft;
        }
    }
    ::iconv_close(converter);
    output.resize(output.size() - outLeft);
    return output;
}

std::string PathToUtf8(const std::string& path) {
    return path;
}

void WriteText(Stream stream, const std::string& utf8) {
    WriteAll(stream == Stream::Output ? STDOUT_FILENO : STDERR_FILENO, utf8.data(), utf8.size());
}

std::string ComputerName() {
    std::vector<char> name(256, '\0');
    if (::gethostname(name.data(), name.size() - 1) != 0) {
        return std::string();
    }
    return name.data();
}

std::string UserName() {
    const passwd* user = ::getpwuid(::geteuid());
    return user != nullptr ? user->pw_name : std::to_string(::geteuid());
}

std::string LocalTimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char stamp[32] = {};
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &local);
    const long offset = local.tm_gmtoff / 60;
    const int size = static_cast<int>((offset < 0 ? -offset : offset) % (24 * 60));
    char zone[16] = {};
    std::snprintf(zone, sizeof zone, "%c%02d:%02d", offset < 0 ? '-' : '+', size / 60, size % 60);
    return std::string(stamp) + zone;
}

AppendFile::~AppendFile() {
    if (m_handle >= 0) {
        ::close(static_cast<int>(m_handle));
    }
}

FileStatus AppendFile::Open(const std::string& path) {
    constexpr int kFlags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    bool created = true;
    int fd = ::open(path.c_str(), kFlags | O_CREAT | O_EXCL, 0644);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = ::open(path.c_str(), kFlags);
    }
    if (fd < 0) {
        return errno == ELOOP || errno == ENXIO ? FileStatus::Unsafe : FileStatus::IoError;
    }
    m_handle = fd;
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        return FileStatus::IoError;
    }
    // A file someone else put there could be read or forged by them, or lead elsewhere.
    const bool owned = created || IsTrustedOwner(status.st_uid);
    return S_ISREG(status.st_mode) && status.st_nlink == 1 && owned ? FileStatus::Ok
                                                                    : FileStatus::Unsafe;
}

FileStatus AppendFile::Append(const std::string& utf8) {
    const int fd = static_cast<int>(m_handle);
    if (fd < 0) {
        return FileStatus::IoError;
    }
    // Anyone who may read the log can take the lock: it is waited for, but not for ever.
    const int limit = os::WaitLimitMilliseconds();
    int waited = 0;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return FileStatus::IoError;
        }
        if (waited >= limit) {
            return FileStatus::Locked;
        }
        ::usleep(50 * 1000);
        waited += 50;
    }
    const bool written = WriteAll(fd, utf8.data(), utf8.size()) && ::fsync(fd) == 0;
    ::flock(fd, LOCK_UN);
    return written ? FileStatus::Ok : FileStatus::IoError;
}

}  // namespace platform
