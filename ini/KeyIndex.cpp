#include "ini/KeyIndex.h"

#include "ini/SectionScope.h"
#include "text/Cp932.h"

void KeyIndex::Build(const IniLines& lines, const std::string& section) {
    m_lines.clear();
    const auto isEmptyEntry = [](std::string_view content) {
        return KindOfLine(content) == IniLineKind::Key && ValueOfLine(content).empty();
    };
    ForEachStretchInScope(lines, section.c_str(), [&](IniStretch rest) {
        while (const std::optional<IniLine> line =
                   lines.FindLineWithBareEquals(rest, isEmptyEntry)) {
            m_lines.try_emplace(cp932::FoldCase(KeyOfLine(lines.Content(*line))), *line);
            rest = lines.After(rest, *line);
        }
        return true;
    });
    m_section = section;
    m_built = true;
}

void KeyIndex::Clear() {
    m_built = false;
    m_lines.clear();
}

std::optional<IniLine> KeyIndex::Find(std::string_view key) const {
    const auto found = m_lines.find(cp932::FoldCase(key));
    return found == m_lines.end() ? std::nullopt : std::optional<IniLine>(found->second);
}
