#include "ini/IniLines.h"

#include <cstring>

#include "text/Cp932.h"

void IniLines::LoadBytes(std::string bytes) {
    m_buffer = std::move(bytes);
    m_lines.clear();
    m_lines.reserve(m_buffer.size() / 24 + 8);
    for (std::size_t start = 0; start < m_buffer.size();) {
        const std::size_t feed = m_buffer.find('\n', start);
        if (feed == std::string::npos) {
            m_lines.push_back(JudgeLine(start, m_buffer.size() - start, false));
            break;
        }
        // A CR LF pair arrives as LF; any other CR is an ordinary byte.
        const std::size_t end = (feed > start && m_buffer[feed - 1] == '\r') ? feed - 1 : feed;
        m_lines.push_back(JudgeLine(start, end - start, true));
        start = feed + 1;
    }
}

std::string IniLines::SaveBytes() const {
    std::string bytes;
    bytes.reserve(m_buffer.size() + m_lines.size());
    for (std::size_t index = 0; index < m_lines.size(); ++index) {
        const std::string_view content = Content(index);
        // Only a value given to an edit can hold a line feed of its own.
        for (std::size_t start = 0;;) {
            const std::size_t feed = content.find('\n', start);
            if (feed == std::string_view::npos) {
                bytes.append(content.substr(start));
                break;
            }
            bytes.append(content.substr(start, feed - start)).append("\r\n");
            start = feed + 1;
        }
        if (m_lines[index].lineFeed) {
            bytes.append("\r\n");
        }
    }
    return bytes;
}

std::string_view IniLines::Content(std::size_t index) const {
    const Line& line = m_lines[index];
    return std::string_view(m_buffer).substr(line.begin, line.size);
}

std::string_view IniLines::Trimmed(std::size_t index) const {
    const Line& line = m_lines[index];
    return Content(index).substr(line.trimBegin, line.trimEnd - line.trimBegin);
}

std::string_view IniLines::Key(std::size_t index) const {
    const Line& line = m_lines[index];
    return Content(index).substr(line.trimBegin, line.equals - line.trimBegin);
}

std::string_view IniLines::TrimmedValue(std::size_t index) const {
    const Line& line = m_lines[index];
    return cp932::Trim(Content(index).substr(line.equals + 1, line.trimEnd - line.equals - 1));
}

void IniLines::Replace(std::size_t index, const std::string& text) {
    m_lines[index] = AddToBuffer(text);
}

void IniLines::Insert(std::size_t index, const std::string& text) {
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(index), AddToBuffer(text));
}

void IniLines::Remove(std::size_t index) {
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(index));
}

IniLines::Line IniLines::AddToBuffer(const std::string& text) {
    const bool lineFeed = !text.empty() && text.back() == '\n';
    const std::size_t begin = m_buffer.size();
    m_buffer.append(text, 0, text.size() - (lineFeed ? 1 : 0));
    return JudgeLine(begin, m_buffer.size() - begin, lineFeed);
}

IniLines::Line IniLines::JudgeLine(std::size_t begin, std::size_t size, bool lineFeed) const {
    Line line;
    line.begin = begin;
    line.size = size;
    line.lineFeed = lineFeed;
    const std::string_view content = std::string_view(m_buffer).substr(begin, size);
    const std::string_view trimmed = cp932::Trim(content);
    line.trimBegin = static_cast<std::size_t>(trimmed.data() - content.data());
    line.trimEnd = line.trimBegin + trimmed.size();
    const bool hasOpen = cp932::FindChar(trimmed, '[') != std::string_view::npos;
    const bool hasClose = cp932::FindChar(trimmed, ']') != std::string_view::npos;
    const std::size_t equals = cp932::FindChar(trimmed, '=');
    // The header test comes first: "05=a[1]" is a section header line.
    if (hasOpen && hasClose) {
        line.kind = IniLineKind::SectionHeader;
    } else if (equals != std::string_view::npos) {
        line.kind = IniLineKind::Key;
        line.equals = line.trimBegin + equals;
    }
    return line;
}
