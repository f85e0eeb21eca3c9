#include "ini/EmptyEntries.h"

#include <algorithm>
#include <unordered_map>

#include "ini/SectionScope.h"
#include "text/Cp932.h"

std::vector<std::optional<IniLine>> FindFirstEmptyEntries(const IniLines& lines,
                                                          const char* section,
                                                          const std::vector<std::string>& keys) {
    std::unordered_map<std::string, std::size_t> wanted;  // by key with its case folded
    std::size_t longest = 0;
    for (std::size_t index = 0; index < keys.size(); ++index) {
        wanted.try_emplace(cp932::FoldCase(keys[index]), index);
        longest = std::max(longest, keys[index].size());
    }
    std::vector<std::optional<IniLine>> found(keys.size());
    const auto slotOf = [&](std::string_view content) -> std::size_t* {
        const std::string_view key = KeyOfLine(content);
        if (key.size() > longest || KindOfLine(content) != IniLineKind::Key ||
            !ValueOfLine(content).empty()) {
            return nullptr;
        }
        const auto at = wanted.find(cp932::FoldCase(key));
        return at == wanted.end() || found[at->second] ? nullptr : &at->second;
    };
    std::size_t left = wanted.size();
    ForEachStretchInScope(lines, section, [&](IniStretch rest) {
        const auto isWanted = [&](std::string_view content) { return slotOf(content) != nullptr; };
        while (const std::optional<IniLine> line = lines.FindLineWithBareEquals(rest, isWanted)) {
            found[*slotOf(lines.Content(*line))] = line;
            --left;
            rest = lines.After(rest, *line);
        }
        return left > 0;
    });
    return found;
}
