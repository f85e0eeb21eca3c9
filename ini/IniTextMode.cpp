#include "ini/IniTextMode.h"

#include <cstring>

std::vector<std::string> SplitTextLines(const std::string& bytes) {
    std::vector<std::string> lines;
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    for (const char* start = begin; start < end;) {
        const void* found = std::memchr(start, '\n', static_cast<std::size_t>(end - start));
        if (found == nullptr) {
            lines.emplace_back(start, end);
            break;
        }
        const char* feed = static_cast<const char*>(found);
        // A CR LF pair arrives as LF; any other CR is an ordinary byte.
        const char* textEnd = (feed > start && feed[-1] == '\r') ? feed - 1 : feed;
        std::string line;
        line.reserve(static_cast<std::size_t>(textEnd - start) + 1);
        line.append(start, textEnd).push_back('\n');
        lines.push_back(std::move(line));
        start = feed + 1;
    }
    return lines;
}

void AppendTextLine(std::string& bytes, std::string_view line) {
    for (std::size_t start = 0; start < line.size();) {
        const std::size_t feed = line.find('\n', start);
        if (feed == std::string_view::npos) {
            bytes.append(line.substr(start));
            return;
        }
        bytes.append(line.substr(start, feed - start)).append("\r\n");
        start = feed + 1;
    }
}
