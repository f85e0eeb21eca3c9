#pragma once
// The scope rule of a scan: a key line belongs to the wanted section when no section is
// wanted, when no header has been met yet, or when the last header met is exactly the
// wanted one (case-sensitive, brackets included). The walks below are the one scan every
// operation of the store makes.

#include <string_view>

#include "ini/IniLines.h"

class SectionScope {
public:
    explicit SectionScope(const char* wanted) : m_wanted(wanted == nullptr ? "" : wanted) {}

    void EnterSection(std::string_view header) { m_current = header; }
    bool InScope() const { return m_wanted.empty() || m_current.empty() || m_current == m_wanted; }

private:
    std::string_view m_wanted;
    std::string_view m_current;
};

// The headers and the stretches between them in line order, each with whether it lies in the
// scope of `wanted` (a header: whether it opens the wanted section), until `visit(part,
// inScope)` returns false.
template <typename Visit>
void WalkSections(const IniLines& lines, const char* wanted, Visit visit) {
    SectionScope scope(wanted);
    lines.ForEachPart([&](const IniPart& part) {
        if (part.isHeader) {
            scope.EnterSection(TrimmedLine(lines.Content(part.header)));
        }
        return visit(part, scope.InScope());
    });
}

// The stretches in the scope of `wanted`, in line order, until `visit(stretch)` returns false.
template <typename Visit>
void ForEachStretchInScope(const IniLines& lines, const char* wanted, Visit visit) {
    WalkSections(lines, wanted, [&](const IniPart& part, bool inScope) {
        return part.isHeader || !inScope || visit(part.stretch);
    });
}
