#pragma once
// The scope rule of a scan: a key line belongs to the wanted section when no section is
// wanted, when no header has been met yet, or when the last header met is exactly the
// wanted one (case-sensitive, brackets included).

#include <string_view>

class SectionScope {
public:
    explicit SectionScope(const char* wanted) : m_wanted(wanted == nullptr ? "" : wanted) {}

    void EnterSection(std::string_view header) { m_current = header; }
    bool InScope() const { return m_wanted.empty() || m_current.empty() || m_current == m_wanted; }

private:
    std::string_view m_wanted;
    std::string_view m_current;
};
