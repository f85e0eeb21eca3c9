#include "ini/INIRead.h"

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
    m_strPath = path;
    std::string bytes;
    if (!platform::ReadFileForUpdate(path, bytes)) {
        return -1;
    }
    m_arrLines.LoadBytes(std::move(bytes));
    m_keyIndex.Clear();
    return 0;
}

int CINIRead::Save(const std::string& path) {
    m_strPath = path;
    return platform::WriteFileReplacing(path, SaveBytes()) ? 0 : -1;
}

void CINIRead::LoadBytes(const std::string& bytes) {
    m_arrLines.LoadBytes(bytes);
    m_keyIndex.Clear();
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
    // The header that ended the last run of in-scope key lines: a new entry placed before
    // it stays inside [Informations], whatever lies between that header and its keys.
    std::size_t closingHeader = 0;
    bool closingHeaderFound = false;
    std::size_t insertAt = m_arrLines.Count();
    for (std::size_t index = 0; index < m_arrLines.Count(); ++index) {
        const IniLineKind kind = m_arrLines.Kind(index);
        if (kind == IniLineKind::SectionHeader) {
            scope.EnterSection(m_arrLines.Trimmed(index));
            if (!closingHeaderFound) {
                closingHeader = index;
                closingHeaderFound = true;
            }
        } else if (kind == IniLineKind::Key && scope.InScope()) {
            keySeen = true;
            lastKeyLine = index;
            closingHeaderFound = false;
        } else if (kind == IniLineKind::Key && keySeen) {
            insertAt = closingHeader;
            break;
        }
    }
    if (!keySeen) {
        return 0;
    }
    const std::string key =
        FormatSlotKey(NextNumber(LeadingNumber(m_arrLines.Key(lastKeyLine))), 6);
    const std::size_t count = m_arrLines.Count();
    if (insertAt == count && !m_arrLines.EndsWithLineFeed(count - 1)) {
        // The new entry starts on a line of its own.
        ReplaceLine(count - 1, std::string(m_arrLines.Content(count - 1)) + '\n');
    }
    InsertLine(insertAt, KeyLineText(key, value));
    newKey = key;
    return 1;
}

void CINIRead::ReplaceLine(std::size_t index, const std::string& text) {
    m_arrLines.Replace(index, text);
    m_keyIndex.Clear();
}

void CINIRead::InsertLine(std::size_t index, const std::string& text) {
    m_arrLines.Insert(index, text);
    m_keyIndex.Clear();
}
