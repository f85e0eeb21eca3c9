#include "ini/INIRead.h"

#include <algorithm>

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
    m_strPath = folder.PathOf(name);
    std::string bytes;
    platform::FileIdentity identity;
    m_lastStatus = platform::ReadFileForUpdate(folder, name, limit, bytes, identity);
    if (m_lastStatus != platform::FileStatus::Ok) {
        return -1;
    }
    m_arrLines.LoadBytes(std::move(bytes));
    m_keyIndex.Clear();
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
    m_lastStatus =
        platform::WriteFileReplacing(folder, name, SaveBytes(), ExpectedIdentity(m_strPath));
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
    m_keyIndex.Clear();
    m_loadedPath.clear();
}

std::string CINIRead::SaveBytes() const {
    return m_arrLines.SaveBytes();
}

int CINIRead::FindValueLine(const char* section, const std::string& value, std::string& line) {
    line.clear();
    SectionScope scope(section);
    for (std::size_t index = 0; index < m_arrLines.Count(); ++index) {
        const IniLineKind kind = m_arrLines.Kind(index);
        if (kind == IniLineKind::SectionHeader) {
            scope.EnterSection(m_arrLines.Trimmed(index));
        } else if (kind == IniLineKind::Key && scope.InScope() &&
                   cp932::EqualsNoCase(m_arrLines.TrimmedValue(index), value)) {
            line = std::string(m_arrLines.Trimmed(index));
            return 1;
        }
    }
    return 0;
}

int CINIRead::FillEmptyKey(const char* section, const std::string& key, const std::string& value) {
    const std::string wanted = section == nullptr ? std::string() : std::string(section);
    if (!m_keyIndex.IsBuiltFor(wanted)) {
        m_keyIndex.Build(m_arrLines, wanted);
    }
    const std::size_t index = m_keyIndex.Find(m_arrLines, key);
    if (index == KeyIndex::kNone || !m_arrLines.TrimmedValue(index).empty()) {
        return 0;
    }
    ReplaceLine(index, KeyLineText(m_arrLines.Key(index), value));
    return 1;
}

int CINIRead::AppendInformationsKey(const std::string& value, std::string& newKey) {
    SectionScope scope(kInformationsSection);
    bool keySeen = false;
    std::size_t lastKeyLine = 0;
    // The scan ends at the first key line of a later section; the last in-scope key line
    // before it gives the number.
    for (std::size_t index = 0; index < m_arrLines.Count(); ++index) {
        const IniLineKind kind = m_arrLines.Kind(index);
        if (kind == IniLineKind::SectionHeader) {
            scope.EnterSection(m_arrLines.Trimmed(index));
        } else if (kind == IniLineKind::Key && scope.InScope()) {
            keySeen = true;
            lastKeyLine = index;
        } else if (kind == IniLineKind::Key && keySeen) {
            break;
        }
    }
    if (!keySeen) {
        return 0;
    }
    // A number that another entry already has would make two entries share a key (and a
    // profile file): the next free number above it is taken instead.
    std::int64_t number = NextNumber(LeadingNumber(m_arrLines.Key(lastKeyLine)));
    const std::vector<std::int64_t> taken = InformationsNumbersFrom(number);
    while (std::binary_search(taken.begin(), taken.end(), number)) {
        if (NextNumber(number) == number) {
            return 0;
        }
        number = NextNumber(number);
    }
    // The new line closes the section of that key line: directly before the next header,
    // whatever blank, comment or key lines of other sections follow it. An [Informations]
    // header there opens the section again, so the line goes on past it.
    std::size_t insertAt = lastKeyLine + 1;
    while (insertAt < m_arrLines.Count() &&
           (m_arrLines.Kind(insertAt) != IniLineKind::SectionHeader ||
            m_arrLines.Trimmed(insertAt) == kInformationsSection)) {
        ++insertAt;
    }
    const std::string key = FormatSlotKey(number, 6);
    const std::size_t count = m_arrLines.Count();
    if (insertAt == count && !m_arrLines.EndsWithLineFeed(count - 1)) {
        // The new entry starts on a line of its own.
        ReplaceLine(count - 1, std::string(m_arrLines.Content(count - 1)) + '\n');
    }
    InsertLine(insertAt, KeyLineText(key, value));
    newKey = key;
    return 1;
}

std::vector<std::int64_t> CINIRead::InformationsNumbersFrom(std::int64_t lowest) const {
    std::vector<std::int64_t> numbers;
    SectionScope scope(kInformationsSection);
    for (std::size_t index = 0; index < m_arrLines.Count(); ++index) {
        const IniLineKind kind = m_arrLines.Kind(index);
        if (kind == IniLineKind::SectionHeader) {
            scope.EnterSection(m_arrLines.Trimmed(index));
        } else if (kind == IniLineKind::Key && scope.InScope()) {
            const std::int64_t number = LeadingNumber(m_arrLines.Key(index));
            if (number >= lowest) {
                numbers.push_back(number);
            }
        }
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

std::vector<CINIRead::ValueEntry> CINIRead::FindValueEntries(const char* section,
                                                             const std::string& value) const {
    std::vector<ValueEntry> entries;
    SectionScope scope(section);
    for (std::size_t index = 0; index < m_arrLines.Count(); ++index) {
        const IniLineKind kind = m_arrLines.Kind(index);
        if (kind == IniLineKind::SectionHeader) {
            scope.EnterSection(m_arrLines.Trimmed(index));
        } else if (kind == IniLineKind::Key && scope.InScope() &&
                   cp932::EqualsNoCase(m_arrLines.TrimmedValue(index), value)) {
            entries.push_back(ValueEntry{index, std::string(m_arrLines.Key(index))});
        }
    }
    return entries;
}

void CINIRead::EmptyValueAt(std::size_t line) {
    ReplaceLine(line, KeyLineText(m_arrLines.Key(line), std::string()));
}

void CINIRead::RemoveLineAt(std::size_t line) {
    m_arrLines.Remove(line);
    m_keyIndex.Clear();
}

bool CINIRead::HasKeyLine(const char* section) const {
    SectionScope scope(section);
    for (std::size_t index = 0; index < m_arrLines.Count(); ++index) {
        const IniLineKind kind = m_arrLines.Kind(index);
        if (kind == IniLineKind::SectionHeader) {
            scope.EnterSection(m_arrLines.Trimmed(index));
        } else if (kind == IniLineKind::Key && scope.InScope()) {
            return true;
        }
    }
    return false;
}

void CINIRead::ReplaceLine(std::size_t index, const std::string& text) {
    m_arrLines.Replace(index, text);
    m_keyIndex.Clear();
}

void CINIRead::InsertLine(std::size_t index, const std::string& text) {
    m_arrLines.Insert(index, text);
    m_keyIndex.Clear();
}
