#include "ini/KeyIndex.h"

#include "ini/SectionScope.h"
#include "text/Cp932.h"

void KeyIndex::Build(const IniLines& lines, const std::string& section) {
    std::size_t capacity = 16;
    while (capacity < 2 * lines.Count()) {
        capacity *= 2;
    }
    m_slots.assign(capacity, 0);
    SectionScope scope(section.c_str());
    for (std::size_t index = 0; index < lines.Count(); ++index) {
        if (lines.Kind(index) == IniLineKind::SectionHeader) {
            scope.EnterSection(lines.Trimmed(index));
        } else if (lines.Kind(index) == IniLineKind::Key && scope.InScope()) {
            std::size_t& slot = m_slots[Slot(lines, lines.Key(index))];
            if (slot == 0) {
                slot = index + 1;  // a later line with the same key is never the one
            }
        }
    }
    m_section = section;
    m_built = true;
}

void KeyIndex::Clear() {
    m_built = false;
    m_slots.clear();
}

std::size_t KeyIndex::Find(const IniLines& lines, std::string_view key) const {
    const std::size_t slot = m_slots[Slot(lines, key)];
    return slot == 0 ? kNone : slot - 1;
}

std::size_t KeyIndex::Slot(const IniLines& lines, std::string_view key) const {
    const std::size_t mask = m_slots.size() - 1;
    std::size_t slot = cp932::HashNoCase(key) & mask;
    while (m_slots[slot] != 0 && !cp932::EqualsNoCase(lines.Key(m_slots[slot] - 1), key)) {
        slot = (slot + 1) & mask;
    }
    return slot;
}
