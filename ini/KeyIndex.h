#pragma once
// The first key line of each key, compared ignoring ASCII letter case, among the key lines
// of one section: lets a run of FillEmptyKey calls look a key up instead of scanning every
// line each time. An open-addressing table of line numbers; the keys stay in the lines.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ini/IniLines.h"

class KeyIndex {
public:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    // Indexes the key lines of `section` (empty: every section) in `lines`.
    void Build(const IniLines& lines, const std::string& section);
    void Clear();

    bool IsBuiltFor(const std::string& section) const { return m_built && m_section == section; }
    // The line of the first key line keyed `key`, or kNone.
    std::size_t Find(const IniLines& lines, std::string_view key) const;

private:
    std::size_t Slot(const IniLines& lines, std::string_view key) const;

    bool m_built = false;
    std::string m_section;
    std::vector<std::size_t> m_slots;  // line number + 1; 0 is an empty slot
};
