#pragma once
// One line of an INI text as the store holds it: the raw text, exactly as read and with its
// line feed, beside what the line is, so that a scan need not trim it again.

#include <cstddef>
#include <string>
#include <string_view>

enum class IniLineKind { Other, SectionHeader, Key };

class IniLine {
public:
    explicit IniLine(std::string text);

    const std::string& Text() const { return m_text; }
    IniLineKind Kind() const { return m_kind; }

    // The whole text without white space at either end.
    std::string_view Trimmed() const;
    // Key lines only: the text left of the first '=' (not trimmed again) ...
    std::string_view Key() const;
    // ... and the text right of it, trimmed.
    std::string_view TrimmedValue() const;

private:
    std::string m_text;
    IniLineKind m_kind = IniLineKind::Other;
    std::size_t m_trimBegin = 0;
    std::size_t m_trimEnd = 0;
    std::size_t m_equals = 0;  // position of the first '=' in m_text, for key lines
};
