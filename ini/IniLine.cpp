#include "ini/IniLine.h"

#include "text/Cp932.h"

IniLine::IniLine(std::string text) : m_text(std::move(text)) {
    const std::string_view whole(m_text);
    const std::string_view trimmed = cp932::Trim(whole);
    m_trimBegin = static_cast<std::size_t>(trimmed.data() - whole.data());
    m_trimEnd = m_trimBegin + trimmed.size();

    bool hasOpen = false;
    bool hasClose = false;
    std::size_t equals = std::string_view::npos;
    for (std::size_t pos = 0; pos < trimmed.size(); pos += cp932::CharLength(trimmed, pos)) {
        const char ch = trimmed[pos];
        hasOpen = hasOpen || ch == '[';
        hasClose = hasClose || ch == ']';
        if (ch == '=' && equals == std::string_view::npos) {
            equals = pos;
        }
    }
    // The header test comes first: "05=a[1]" is a section header line.
    if (hasOpen && hasClose) {
        m_kind = IniLineKind::SectionHeader;
    } else if (equals != std::string_view::npos) {
        m_kind = IniLineKind::Key;
        m_equals = m_trimBegin + equals;
    }
}

std::string_view IniLine::Trimmed() const {
    return std::string_view(m_text).substr(m_trimBegin, m_trimEnd - m_trimBegin);
}

std::string_view IniLine::Key() const {
    return std::string_view(m_text).substr(m_trimBegin, m_equals - m_trimBegin);
}

std::string_view IniLine::TrimmedValue() const {
    return cp932::Trim(std::string_view(m_text).substr(m_equals + 1, m_trimEnd - m_equals - 1));
}
