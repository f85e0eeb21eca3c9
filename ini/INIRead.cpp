#include "ini/INIRead.h"

#include <algorithm>
#include <deque>
#include <string_view>

#include "ini/EmptyEntries.h"
#include "ini/SectionScope.h"
#include "ini/SlotNumber.h"
#include "platform/Platform.h"
#include "text/Cp932.h"

namespace {

const char kInformationsSection[] = "[Informations]";

std::string KeyLineText(std::string_view key, const std::string& value) {
    std::string text(key);
    text += '=';
    text += value;
    text += '\n';
    return text;
}

}  // namespace

CINIRead::CINIRead() = default;

CINIRead::~CINIRead() = default;

int CINIRead::Load(const std::string& path) {
    platform::Folder folder;
    std::string name;
    m_lastStatus = platform::OpenFolderOf(path, folder, name);
    return m_lastStatus == platform::FileStatus::Ok ? Load(folder, name) : -1;
}

int CINIRead::Load(const platform::Folder& folder, const std::string& name, std::uint64_t limit) {
    return Load(folder, name, limit, Access::ForUpdate);
}

int CINIRead::LoadShared(const platform::Folder& folder, const std::string& name,
                         std::uint64_t limit) {
    return Load(folder, name, limit, Access::Shared);
}

int CINIRead::Load(const platform::Folder& folder, const std::string& name, std::uint64_t limit,
                   Access access) {
    m_strPath = folder.PathOf(name);
    platform::ByteBlock bytes;
    platform::FileIdentity identity;
    m_lastStatus = access == Access::ForUpdate
                       ? platform::ReadFileForUpdate(folder, name, limit, bytes, identity)
                       : platform::ReadFileShared(folder, name, limit, bytes, identity);
    if (m_lastStatus != platform::FileStatus::Ok) {
        return -1;
    }
    m_arrLines.Load(std::move(bytes.data), bytes.size);
    m_loadedPath = m_strPath;
    m_loadedIdentity = identity;
    return 0;
}

int CINIRead::Save(const std::string& path) {
    platform::Folder folder;
    std::string name;
    m_lastStatus = platform::OpenFolderOf(path, folder, name);
    return m_lastStatus == platform::FileStatus::Ok ? Save(folder, name) : -1;
}

int CINIRead::Save(const platform::Folder& folder, const std::string& name) {
    m_strPath = folder.PathOf(name);
    // The unchanged runs of lines go to the file straight from the loaded text.
    std::vector<std::string_view> pieces;
    std::deque<std::string> converted;
    m_arrLines.SavePieces(pieces, converted);
    m_lastStatus = platform::WriteFileReplacing(folder, name, pieces, ExpectedIdentity(m_strPath));
    return m_lastStatus == platform::FileStatus::Ok ? 0 : -1;
}

int CINIRead::CheckSave(const platform::Folder& folder, const std::string& name) {
    const std::string path = folder.PathOf(name);
    m_lastStatus = platform::CheckReplaceable(folder, name, ExpectedIdentity(path));
    return m_lastStatus == platform::FileStatus::Ok ? 0 : -1;
}

const platform::FileIdentity* CINIRead::ExpectedIdentity(const std::string& path) const {
    return !m_loadedPath.empty() && path == m_loadedPath ? &m_loadedIdentity : nullptr;
}

void CINIRead::LoadBytes(const std::string& bytes) {
    m_arrLines.LoadBytes(bytes);
    m_loadedPath.clear();
}

std::string CINIRead::SaveBytes() const {
    return m_arrLines.SaveBytes();
}

int CINIRead::FindValueLine(const char* section, const std::string& value, std::string& line) {
    line.clear();
    std::optional<IniLine> found;
    ForEachStretchInScope(m_arrLines, section, [&](const IniStretch& stretch) {
        found = FindValueIn(stretch, value);
        return !found;
    });
    if (!found) {
        return 0;
    }
    line = std::string(TrimmedLine(m_arrLines.Content(*found)));
    return 1;
}

std::optional<IniLine> CINIRead::FindValueIn(const IniStretch& stretch,
                                             const std::string& value) const {
    const auto hasValue = [&value](std::string_view content) {
        return KindOfLine(content) == IniLineKind::Key &&
               cp932::EqualsNoCase(ValueOfLine(content), value);
    };
    // A line with the value holds it; one with an empty value holds an '=' before a blank.
    return value.empty() ? m_arrLines.FindLineWithBareEquals(stretch, hasValue)
                         : m_arrLines.FindLine(stretch, value, hasValue);
}

int CINIRead::FillEmptyKey(const char* section, const std::string& key, const std::string& value) {
    const std::optional<IniLine> line = FindFirstEmptyEntries(m_arrLines, section, {key}).front();
    if (!line || HasKeyLineBefore(section, key, *line)) {
        return 0;
    }
    ReplaceLine(*line, KeyLineText(KeyOfLine(m_arrLines.Content(*line)), value));
    return 1;
}

int CINIRead::FillFreeKey(const char* section, const std::vector<std::string>& keys,
                          const std::string& value, std::string& filledKey) {
    const std::vector<std::optional<IniLine>> lines =
        FindFirstEmptyEntries(m_arrLines, section, keys);
    if (std::none_of(lines.begin(), lines.end(),
                     [](const std::optional<IniLine>& line) { return line.has_value(); })) {
        return 0;
    }
    const std::vector<bool> valued = FindValuedKeys(m_arrLines, section, keys);
    for (std::size_t index = 0; index < keys.size(); ++index) {
        // Any line of the slot that holds a value comes first or lives on: not free.
        if (lines[index] && !valued[index]) {
            ReplaceLine(*lines[index],
                        KeyLineText(KeyOfLine(m_arrLines.Content(*lines[index])), value));
            filledKey = keys[index];
            return 1;
        }
    }
    return 0;
}

bool CINIRead::HasKeyLineBefore(const char* section, const std::string& key,
                                const IniLine& line) const {
    const auto hasKey = [&key](std::string_view content) {
        return KindOfLine(content) == IniLineKind::Key &&
               cp932::EqualsNoCase(KeyOfLine(content), key);
    };
    bool found = false;
    WalkSections(m_arrLines, section, [&](const IniPart& part, bool inScope) {
        const IniLine start =
            part.isHeader ? part.header : IniLine{part.stretch.segment, part.stretch.begin};
        if (!IniLines::Precedes(start, line)) {
            return false;
        }
        if (!part.isHeader && inScope) {
            const IniStretch before = m_arrLines.Before(part.stretch, line);
            found = m_arrLines.FindLine(before, key, hasKey).has_value();
        }
        return !found;
    });
    return found;
}

int CINIRead::AppendInformationsKey(const std::string& value, std::string& newKey) {
    return AppendKey(kInformationsSection, value, newKey);
}

int CINIRead::AppendKey(const char* section, const std::string& value, std::string& newKey) {
    const SectionEnd end = FindSectionEnd(section);
    if (!end.lastKey) {
        return 0;
    }
    std::int64_t number = NextNumber(LeadingNumber(KeyOfLine(m_arrLines.Content(*end.lastKey))));
    if (!TakeFreeNumber(section, number)) {
        return 0;
    }
    const std::string key = FormatSlotKey(number, 6);
    if (!end.closingHeader && !m_arrLines.EndsWithLineFeed(m_arrLines.Last())) {
        // The new entry starts on a line of its own.
        const IniLine last = m_arrLines.Last();
        ReplaceLine(last, std::string(m_arrLines.Content(last)) + '\n');
    }
    InsertLine(end.closingHeader ? *end.closingHeader : m_arrLines.End(), KeyLineText(key, value));
    newKey = key;
    return 1;
}

CINIRead::SectionEnd CINIRead::FindSectionEnd(const char* section) const {
    SectionEnd end;
    // The scan ends at the first key line of a later section; the last in-scope key line
    // before it gives the number. The new line closes the section of that key line: directly
    // before the next header, whatever blank, comment or key lines of other sections follow
    // it. A header of the section there opens it again, so the line goes on past it.
    WalkSections(m_arrLines, section, [&](const IniPart& part, bool inScope) {
        if (part.isHeader) {
            if (end.lastKey && !end.closingHeader && !inScope) {
                end.closingHeader = part.header;
            }
            return true;
        }
        if (inScope) {
            if (const std::optional<IniLine> key = m_arrLines.LastKeyLine(part.stretch)) {
                end.lastKey = key;
                end.closingHeader.reset();
            }
            return true;
        }
        return !(end.lastKey && m_arrLines.HasKeyLine(part.stretch));
    });
    return end;
}

bool CINIRead::TakeFreeNumber(const char* section, std::int64_t& number) const {
    // A number that another entry already has would make two entries share a key (and a
    // profile file): the next free number above it is taken instead. Mostly the number is
    // free, which one search for its digits tells.
    const bool searchable = number > 0 && NextNumber(number) != number;
    if (searchable && !HasKeyNumbered(section, number)) {
        return true;
    }
    const std::vector<std::int64_t> taken = NumbersFrom(section, number);
    while (std::binary_search(taken.begin(), taken.end(), number)) {
        if (NextNumber(number) == number) {
            return false;
        }
        number = NextNumber(number);
    }
    return true;
}

bool CINIRead::HasKeyNumbered(const char* section, std::int64_t number) const {
    // Below the largest value, a key numbered so holds its digits without leading zeros.
    const std::string digits = std::to_string(number);
    const auto isNumbered = [number](std::string_view content) {
        return KindOfLine(content) == IniLineKind::Key &&
               LeadingNumber(KeyOfLine(content)) == number;
    };
    bool found = false;
    ForEachStretchInScope(m_arrLines, section, [&](const IniStretch& stretch) {
        found = m_arrLines.FindLine(stretch, digits, isNumbered).has_value();
        return !found;
    });
    return found;
}

std::vector<std::int64_t> CINIRead::NumbersFrom(const char* section, std::int64_t lowest) const {
    std::vector<std::int64_t> numbers;
    ForEachStretchInScope(m_arrLines, section, [&](const IniStretch& stretch) {
        return m_arrLines.ForEachLineIn(stretch, [&](const IniLine&, std::string_view content) {
            const std::int64_t number = LeadingNumber(KeyOfLine(content));
            if (KindOfLine(content) == IniLineKind::Key && number >= lowest) {
                numbers.push_back(number);
            }
            return true;
        });
    });
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

std::vector<CINIRead::ValueEntry> CINIRead::FindValueEntries(const char* section,
                                                             const std::string& value) const {
    std::vector<ValueEntry> entries;
    std::size_t number = 0;  // of the line in the whole text
    WalkSections(m_arrLines, section, [&](const IniPart& part, bool inScope) {
        if (part.isHeader) {
            ++number;
            return true;
        }
        m_arrLines.ForEachLineIn(part.stretch, [&](const IniLine&, std::string_view content) {
            if (inScope && KindOfLine(content) == IniLineKind::Key &&
                cp932::EqualsNoCase(ValueOfLine(content), value)) {
                entries.push_back(ValueEntry{number, std::string(KeyOfLine(content))});
            }
            ++number;
            return true;
        });
        return true;
    });
    return entries;
}

void CINIRead::EmptyOrRemoveEntries(const std::vector<ValueEntry>& entries,
                                    const std::vector<bool>& removes) {
    std::vector<IniLines::LineEdit> edits;
    edits.reserve(entries.size());
    for (std::size_t index = 0; index < entries.size(); ++index) {
        edits.push_back(
            IniLines::LineEdit{entries[index].line, index < removes.size() && removes[index]});
    }
    m_arrLines.EditLines(edits, [](std::string_view content) {
        return KindOfLine(content) == IniLineKind::Key ? std::string(KeyOfLine(content)) + '='
                                                       : std::string(content);
    });
}

void CINIRead::EmptyValueAt(std::size_t line) {
    const IniLine at = m_arrLines.LineAt(line);
    if (at.segment != m_arrLines.End().segment &&
        KindOfLine(m_arrLines.Content(at)) == IniLineKind::Key) {
        ReplaceLine(at, KeyLineText(KeyOfLine(m_arrLines.Content(at)), std::string()));
    }
}

void CINIRead::RemoveLineAt(std::size_t line) {
    m_arrLines.Remove(m_arrLines.LineAt(line));
}

bool CINIRead::HasKeyLine(const char* section) const {
    bool found = false;
    ForEachStretchInScope(m_arrLines, section, [&](const IniStretch& stretch) {
        found = m_arrLines.HasKeyLine(stretch);
        return !found;
    });
    return found;
}

bool CINIRead::HasSectionHeader(const char* section) const {
    bool found = false;
    WalkSections(m_arrLines, section, [&](const IniPart& part, bool inScope) {
        found = part.isHeader && inScope;
        return !found;
    });
    return found;
}

std::vector<bool> CINIRead::ValuedKeys(const char* section,
                                       const std::vector<std::string>& keys) const {
    return FindValuedKeys(m_arrLines, section, keys);
}

void CINIRead::ReplaceLine(const IniLine& line, const std::string& text) {
    m_arrLines.Replace(line, text);
}

void CINIRead::InsertLine(const IniLine& line, const std::string& text) {
    m_arrLines.InsertBefore(line, text);
}
