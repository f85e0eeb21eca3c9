#include "ini/EmptyEntries.h"

#include <algorithm>
#include <unordered_map>

#include "ini/SectionScope.h"
#include "ini/SlotNumber.h"
#include "text/Cp932.h"

namespace {

// The wanted keys by their case folded, and the length of the longest.
struct WantedKeys {
    explicit WantedKeys(const std::vector<std::string>& keys) {
        for (std::size_t index = 0; index < keys.size(); ++index) {
            byKey.try_emplace(cp932::FoldCase(keys[index]), index);
            longest = std::max(longest, keys[index].size());
        }
    }
    // The index of a line's key among the wanted ones, or none.
    std::optional<std::size_t> Find(std::string_view content) const {
        const std::string_view key = KeyOfLine(content);
        if (key.size() > longest || KindOfLine(content) != IniLineKind::Key) {
            return std::nullopt;
        }
        const auto at = byKey.find(cp932::FoldCase(key));
        return at == byKey.end() ? std::nullopt : std::optional<std::size_t>(at->second);
    }

    std::unordered_map<std::string, std::size_t> byKey;
    std::size_t longest = 0;
};

}  // namespace

std::vector<bool> FindValuedKeys(const IniLines& lines, const char* section,
                                 const std::vector<std::string>& keys) {
    const WantedKeys wanted(keys);
    // A slot's key is matched by its number: "2=x" and "000002 =x" hold the slot of "000002".
    std::unordered_map<std::int64_t, std::vector<std::size_t>> bySlot;
    for (std::size_t index = 0; index < keys.size(); ++index) {
        if (const std::optional<std::int64_t> slot = SlotNumberOf(keys[index])) {
            bySlot[*slot].push_back(index);
        }
    }
    std::vector<bool> valued(keys.size(), false);
    ForEachStretchInScope(lines, section, [&](const IniStretch& stretch) {
        return lines.ForEachLineIn(stretch, [&](const IniLine&, std::string_view content) {
            if (KindOfLine(content) != IniLineKind::Key || ValueOfLine(content).empty()) {
                return true;
            }
            if (const std::optional<std::int64_t> slot = SlotNumberOf(KeyOfLine(content))) {
                const auto at = bySlot.find(*slot);
                if (at != bySlot.end()) {
                    for (const std::size_t index : at->second) {
                        valued[index] = true;
                    }
                }
            } else if (const std::optional<std::size_t> index = wanted.Find(content)) {
                valued[*index] = true;
            }
            return true;
        });
    });
    return valued;
}

std::vector<std::optional<IniLine>> FindFirstEmptyEntries(const IniLines& lines,
                                                          const char* section,
                                                          const std::vector<std::string>& keys) {
    const WantedKeys wanted(keys);
    std::vector<std::optional<IniLine>> found(keys.size());
    // The index of a wanted key not yet found, of an empty entry's line.
    const auto slotOf = [&](std::string_view content) -> std::optional<std::size_t> {
        const std::optional<std::size_t> index = wanted.Find(content);
        if (!index || found[*index] || !ValueOfLine(content).empty()) {
            return std::nullopt;
        }
        return index;
    };
    std::size_t left = wanted.byKey.size();
    ForEachStretchInScope(lines, section, [&](IniStretch rest) {
        const auto isWanted = [&](std::string_view content) { return slotOf(content).has_value(); };
        while (const std::optional<IniLine> line = lines.FindLineWithBareEquals(rest, isWanted)) {
            found[*slotOf(lines.Content(*line))] = line;
            --left;
            rest = lines.After(rest, *line);
        }
        return left > 0;
    });
    return found;
}
