#include "ini/INIRead.h"

#include <cstdint>

#include "ini/IniTextMode.h"
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
    LoadBytes(bytes);
    return 0;
}

int CINIRead::Save(const std::string& path) {
    m_strPath = path;
    return platform::WriteFileReplacing(path, SaveBytes()) ? 0 : -1;
}

void CINIRead::LoadBytes(const std::string& bytes) {
    std::vector<std::string> texts = SplitTextLines(bytes);
    m_arrLines.clear();
    // Room for the lines the operations add, so that adding one moves no line.
    m_arrLines.reserve(texts.size() + 4);
    for (std::string& text : texts) {
        m_arrLines.emplace_back(std::move(text));
    }
    ForgetKeyIndex();
}

std::string CINIRead::SaveBytes() const {
    std::size_t size = 0;
    for (const IniLine& line : m_arrLines) {
        size += line.Text().size() + 1;
    }
    std::string bytes;
    bytes.reserve(size + size / 8);
    for (const IniLine& line : m_arrLines) {
        AppendTextLine(bytes, line.Text());
    }
    return bytes;
}

int CINIRead::FindValueLine(const char* section, const std::string& value, std::string& line) {
    line.clear();
    SectionScope scope(section);
    for (const IniLine& candidate : m_arrLines) {
        if (candidate.Kind() == IniLineKind::SectionHeader) {
            scope.EnterSection(candidate.Trimmed());
        } else if (candidate.Kind() == IniLineKind::Key && scope.InScope() &&
                   cp932::EqualsNoCase(candidate.TrimmedValue(), value)) {
            line = std::string(candidate.Trimmed());
            return 1;
        }
    }
    return 0;
}

int CINIRead::FillEmptyKey(const char* section, const std::string& key, const std::string& value) {
    const auto& index = KeyIndexFor(section == nullptr ? std::string() : std::string(section));
    const auto found = index.find(key);
    if (found == index.end()) {
        return 0;
    }
    const IniLine& line = m_arrLines[found->second];
    if (!line.TrimmedValue().empty()) {
        return 0;
    }
    ReplaceLine(found->second, KeyLineText(line.Key(), value));
    return 1;
}

int CINIRead::AppendInformationsKey(const std::string& value, std::string& newKey) {
    SectionScope scope(kInformationsSection);
    bool keySeen = false;
    std::int64_t lastNumber = 0;
    // The header that ended the last run of in-scope key lines: a new entry placed before
    // it stays inside [Informations], whatever lies between that header and its keys.
    std::size_t closingHeader = 0;
    bool closingHeaderFound = false;
    std::size_t insertAt = m_arrLines.size();
    for (std::size_t index = 0; index < m_arrLines.size(); ++index) {
        const IniLine& line = m_arrLines[index];
        if (line.Kind() == IniLineKind::SectionHeader) {
            scope.EnterSection(line.Trimmed());
            if (!closingHeaderFound) {
                closingHeader = index;
                closingHeaderFound = true;
            }
        } else if (line.Kind() == IniLineKind::Key && scope.InScope()) {
            keySeen = true;
            lastNumber = LeadingNumber(line.Key());
            closingHeaderFound = false;
        } else if (line.Kind() == IniLineKind::Key && keySeen) {
            insertAt = closingHeader;
            break;
        }
    }
    if (!keySeen) {
        return 0;
    }
    const std::string key = FormatSlotKey(NextNumber(lastNumber), 6);
    if (insertAt == m_arrLines.size() && !m_arrLines.empty() &&
        m_arrLines.back().Text().back() != '\n') {
        // The new entry starts on a line of its own.
        ReplaceLine(m_arrLines.size() - 1, m_arrLines.back().Text() + '\n');
    }
    InsertLine(insertAt, KeyLineText(key, value));
    newKey = key;
    return 1;
}

void CINIRead::ForgetKeyIndex() {
    m_keyIndexValid = false;
    m_keyIndex.clear();
}

const CINIRead::KeyIndex& CINIRead::KeyIndexFor(const std::string& section) {
    if (m_keyIndexValid && m_keyIndexSection == section) {
        return m_keyIndex;
    }
    ForgetKeyIndex();
    m_keyIndex.reserve(m_arrLines.size());
    SectionScope scope(section.c_str());
    for (std::size_t index = 0; index < m_arrLines.size(); ++index) {
        const IniLine& line = m_arrLines[index];
        if (line.Kind() == IniLineKind::SectionHeader) {
            scope.EnterSection(line.Trimmed());
        } else if (line.Kind() == IniLineKind::Key && scope.InScope()) {
            m_keyIndex.emplace(line.Key(), index);
        }
    }
    m_keyIndexSection = section;
    m_keyIndexValid = true;
    return m_keyIndex;
}

void CINIRead::ReplaceLine(std::size_t index, std::string text) {
    m_arrLines[index] = IniLine(std::move(text));
    ForgetKeyIndex();
}

void CINIRead::InsertLine(std::size_t index, std::string text) {
    m_arrLines.insert(m_arrLines.begin() + static_cast<std::ptrdiff_t>(index),
                      IniLine(std::move(text)));
    ForgetKeyIndex();
}
