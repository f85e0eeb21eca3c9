#pragma once
// The key lines with an empty value of one section, the first of each key compared ignoring
// ASCII letter case: lets a run of FillEmptyKey calls look a key up instead of searching the
// text each time. Only these lines can be filled, and a list holds few of them.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "ini/IniLines.h"

class KeyIndex {
public:
    // Indexes the key lines of `section` (empty: every section) in `lines`.
    void Build(const IniLines& lines, const std::string& section);
    void Clear();

    bool IsBuiltFor(const std::string& section) const { return m_built && m_section == section; }
    // The first key line with an empty value keyed `key`. An earlier line with the same key
    // and a value is not looked for.
    std::optional<IniLine> Find(std::string_view key) const;

private:
    bool m_built = false;
    std::string m_section;
    std::unordered_map<std::string, IniLine> m_lines;  // by key with its case folded
};
