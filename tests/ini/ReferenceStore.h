#pragma once
// The line store's rules applied line by line to an array of lines, with no searches,
// segments or index: what CINIRead must answer and write. For the randomized tests and the
// fuzz target.

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ini/IniLines.h"
#include "ini/SlotNumber.h"
#include "text/Cp932.h"

class ReferenceStore {
public:
    explicit ReferenceStore(const std::string& bytes) {
        // A UTF-8 byte order mark at the start belongs to no line.
        m_bom = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(0, 3) : std::string();
        for (std::size_t start = m_bom.size(); start < bytes.size();) {
            const std::size_t feed = bytes.find('\n', start);
            if (feed == std::string::npos) {
                m_lines.push_back(Line{bytes.substr(start), false});
                break;
            }
            const std::size_t end = feed > start && bytes[feed - 1] == '\r' ? feed - 1 : feed;
            m_lines.push_back(Line{bytes.substr(start, end - start), true});
            start = feed + 1;
        }
    }

    int FindValueLine(const char* section, const std::string& value, std::string& line) const {
        const std::vector<std::pair<std::size_t, std::string>> entries =
            FindValueEntries(section, value);
        line = entries.empty() ? std::string()
                               : std::string(TrimmedLine(m_lines[entries[0].first].content));
        return entries.empty() ? 0 : 1;
    }

    std::vector<std::pair<std::size_t, std::string>> FindValueEntries(
        const char* section, const std::string& value) const {
        std::vector<std::pair<std::size_t, std::string>> entries;
        for (const std::size_t index : KeyLinesOf(section)) {
            if (cp932::EqualsNoCase(ValueOfLine(m_lines[index].content), value)) {
                entries.emplace_back(index, std::string(KeyOfLine(m_lines[index].content)));
            }
        }
        return entries;
    }

    int FillEmptyKey(const char* section, const std::string& key, const std::string& value) {
        for (const std::size_t index : KeyLinesOf(section)) {
            const std::string_view content = m_lines[index].content;
            if (cp932::EqualsNoCase(KeyOfLine(content), key)) {
                if (!ValueOfLine(content).empty()) {
                    return 0;
                }
                Set(index, std::string(KeyOfLine(content)) + "=" + value + "\n");
                return 1;
            }
        }
        return 0;
    }

    int AppendInformationsKey(const std::string& value, std::string& newKey) {
        std::string current;
        bool keySeen = false;
        std::size_t lastKey = 0;
        for (std::size_t index = 0; index < m_lines.size(); ++index) {
            const IniLineKind kind = KindOfLine(m_lines[index].content);
            if (kind == IniLineKind::SectionHeader) {
                current = std::string(TrimmedLine(m_lines[index].content));
            } else if (kind == IniLineKind::Key && InScope(kInformations, current)) {
                keySeen = true;
                lastKey = index;
            } else if (kind == IniLineKind::Key && keySeen) {
                break;
            }
        }
        if (!keySeen) {
            return 0;
        }
        std::int64_t number = NextNumber(LeadingNumber(KeyOfLine(m_lines[lastKey].content)));
        std::vector<std::int64_t> taken;
        for (const std::size_t index : KeyLinesOf(kInformations)) {
            taken.push_back(LeadingNumber(KeyOfLine(m_lines[index].content)));
        }
        while (std::find(taken.begin(), taken.end(), number) != taken.end()) {
            if (NextNumber(number) == number) {
                return 0;
            }
            number = NextNumber(number);
        }
        std::size_t insertAt = lastKey + 1;
        for (; insertAt < m_lines.size(); ++insertAt) {
            const std::string_view content = m_lines[insertAt].content;
            if (KindOfLine(content) == IniLineKind::SectionHeader &&
                TrimmedLine(content) != kInformations) {
                break;
            }
        }
        if (insertAt == m_lines.size() && !m_lines.back().lineFeed) {
            m_lines.back().lineFeed = true;
        }
        newKey = FormatSlotKey(number, 6);
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                       Line{newKey + "=" + value, true});
        return 1;
    }

    void EmptyValueAt(std::size_t index) {
        if (index < m_lines.size() && KindOfLine(m_lines[index].content) == IniLineKind::Key) {
            Set(index, std::string(KeyOfLine(m_lines[index].content)) + "=\n");
        }
    }

    void RemoveLineAt(std::size_t index) {
        if (index < m_lines.size()) {
            m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(index));
        }
    }

    bool HasKeyLine(const char* section) const { return !KeyLinesOf(section).empty(); }

    std::string SaveBytes() const {
        std::string bytes = m_bom;
        for (const Line& line : m_lines) {
            for (const char byte : line.content) {
                bytes += byte == '\n' ? std::string("\r\n") : std::string(1, byte);
            }
            bytes += line.lineFeed ? "\r\n" : "";
        }
        return bytes;
    }

    std::size_t LineCount() const { return m_lines.size(); }

private:
    struct Line {
        std::string content;
        bool lineFeed = false;
    };

    static constexpr const char* kInformations = "[Informations]";

    static bool InScope(const char* wanted, const std::string& current) {
        return wanted == nullptr || *wanted == '\0' || current.empty() || current == wanted;
    }

    std::vector<std::size_t> KeyLinesOf(const char* section) const {
        std::vector<std::size_t> keyLines;
        std::string current;
        for (std::size_t index = 0; index < m_lines.size(); ++index) {
            const IniLineKind kind = KindOfLine(m_lines[index].content);
            if (kind == IniLineKind::SectionHeader) {
                current = std::string(TrimmedLine(m_lines[index].content));
            } else if (kind == IniLineKind::Key && InScope(section, current)) {
                keyLines.push_back(index);
            }
        }
        return keyLines;
    }

    void Set(std::size_t index, const std::string& text) {
        const bool lineFeed = !text.empty() && text.back() == '\n';
        m_lines[index] = Line{text.substr(0, text.size() - (lineFeed ? 1 : 0)), lineFeed};
    }

    std::string m_bom;
    std::vector<Line> m_lines;
};
