#include "ini/IniLines.h"

#include <cstring>

#include "text/Cp932.h"

namespace {

// A byte order mark a UTF-8 editor put at the start: no part of the first line, kept as it was.
constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// Shorter runs of loaded text between bare line feeds are copied into the converted text
// rather than written as pieces of their own.
constexpr std::size_t kLongRun = 4096;

// Adds a piece, joined to the one before when it continues it in memory.
void AddPiece(std::vector<std::string_view>& pieces, std::string_view piece) {
    if (piece.empty()) {
        return;
    }
    if (!pieces.empty() && pieces.back().data() + pieces.back().size() == piece.data()) {
        pieces.back() = std::string_view(pieces.back().data(), pieces.back().size() + piece.size());
        return;
    }
    pieces.push_back(piece);
}

std::size_t FindByte(std::string_view text, std::size_t from, char byte) {
    const void* found = std::memchr(text.data() + from, byte, text.size() - from);
    return found == nullptr
               ? bytescan::npos
               : static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
}

// A line of its own as written: only a value given to an edit can hold a line feed.
std::string ConvertedLine(std::string_view content, bool lineFeed) {
    std::string text;
    for (std::size_t start = 0;;) {
        const std::size_t feed = content.find('\n', start);
        if (feed == std::string_view::npos) {
            text.append(content.substr(start));
            break;
        }
        text.append(content.substr(start, feed - start)).append("\r\n");
        start = feed + 1;
    }
    if (lineFeed) {
        text.append("\r\n");
    }
    return text;
}

}  // namespace

IniLineKind KindOfLine(std::string_view content) {
    const std::string_view trimmed = cp932::Trim(content);
    // A comment is a line the driver does not read: neither header nor key.
    if (!trimmed.empty() && trimmed.front() == ';') {
        return IniLineKind::Other;
    }
    // The header test comes first: "05=a[1]" is a section header line.
    if (cp932::FindChar(trimmed, '[') != std::string_view::npos &&
        cp932::FindChar(trimmed, ']') != std::string_view::npos) {
        return IniLineKind::SectionHeader;
    }
    // '=' is never a trail byte: its first byte is its first character.
    return trimmed.find('=') != std::string_view::npos ? IniLineKind::Key : IniLineKind::Other;
}

std::string_view TrimmedLine(std::string_view content) {
    return cp932::Trim(content);
}

std::string_view KeyOfLine(std::string_view content) {
    const std::string_view trimmed = cp932::Trim(content);
    const std::size_t begin = static_cast<std::size_t>(trimmed.data() - content.data());
    const std::size_t equals = content.find('=');
    return equals == std::string_view::npos ? content.substr(begin)
                                            : content.substr(begin, equals - begin);
}

std::string_view ValueOfLine(std::string_view content) {
    const std::size_t equals = content.find('=');
    return equals == std::string_view::npos ? std::string_view()
                                            : cp932::Trim(content.substr(equals + 1));
}

IniLines::IniLines(const IniLines& other)
    : m_loaded(new char[other.m_loadedSize]),
      m_loadedSize(other.m_loadedSize),
      m_bomSize(other.m_bomSize),
      m_headers(other.m_headers),
      m_firstBareLineFeed(other.m_firstBareLineFeed),
      m_added(other.m_added),
      m_segments(other.m_segments) {
    if (m_loadedSize > 0) {
        std::memcpy(m_loaded.get(), other.m_loaded.get(), m_loadedSize);
    }
}

IniLines& IniLines::operator=(const IniLines& other) {
    if (this != &other) {
        *this = IniLines(other);
    }
    return *this;
}

void IniLines::Load(std::unique_ptr<char[]> bytes, std::size_t size) {
    m_loaded = std::move(bytes);
    m_loadedSize = size;
    m_bomSize = Loaded().substr(0, sizeof kUtf8Bom - 1) == kUtf8Bom ? sizeof kUtf8Bom - 1 : 0;
    m_added.clear();
    m_segments.clear();
    if (size > m_bomSize) {
        m_segments.push_back(Segment{m_bomSize, size, false, false});
    }
    FindHeaders();
}

void IniLines::LoadBytes(std::string_view bytes) {
    std::unique_ptr<char[]> copy(new char[bytes.size()]);
    if (!bytes.empty()) {
        std::memcpy(copy.get(), bytes.data(), bytes.size());
    }
    Load(std::move(copy), bytes.size());
}

void IniLines::FindHeaders() {
    m_headers.clear();
    m_firstBareLineFeed = bytescan::npos;
    const std::string_view text = Loaded();
    // Every header holds a ']'; each line that does is judged once. The same pass finds the
    // first bare line feed, from which on a save has to look for more.
    for (std::size_t from = m_bomSize; from < text.size();) {
        const std::size_t place = m_firstBareLineFeed == bytescan::npos
                                      ? bytescan::FindByteOrBareLineFeed(text, from, ']')
                                      : FindByte(text, from, ']');
        if (place == bytescan::npos) {
            break;
        }
        if (text[place] == '\n') {
            m_firstBareLineFeed = place;
            from = place + 1;
            continue;
        }
        const std::size_t begin = LineStart(place, from);
        if (KindOfLine(LoadedContent(begin, text.size())) == IniLineKind::SectionHeader) {
            m_headers.push_back(begin);
        }
        const std::size_t end = LineEnd(place, text.size());
        if (m_firstBareLineFeed == bytescan::npos && end < text.size() && text[end - 1] != '\r') {
            m_firstBareLineFeed = end;
        }
        from = end + 1;
    }
}

std::size_t IniLines::NextBareLineFeed(std::size_t from, std::size_t limit) const {
    if (m_firstBareLineFeed == bytescan::npos || m_firstBareLineFeed >= limit) {
        return bytescan::npos;
    }
    const std::size_t bare = from <= m_firstBareLineFeed
                                 ? m_firstBareLineFeed
                                 : bytescan::FindBareLineFeed(Loaded().substr(0, limit), from);
    return bare < limit ? bare : bytescan::npos;
}

void IniLines::SavePieces(std::vector<std::string_view>& pieces,
                          std::deque<std::string>& converted) const {
    pieces.clear();
    AddPiece(pieces, Loaded().substr(0, m_bomSize));
    for (const Segment& segment : m_segments) {
        if (segment.ownLine) {
            converted.push_back(ConvertedLine(Bytes(segment), segment.lineFeed));
            AddPiece(pieces, converted.back());
        } else {
            AddLoadedPieces(segment, pieces, converted);
        }
    }
}

// Loaded lines read with CR LF are written as they stand; a bare line feed becomes CR LF.
void IniLines::AddLoadedPieces(const Segment& segment, std::vector<std::string_view>& pieces,
                               std::deque<std::string>& converted) const {
    const std::string_view text = Loaded().substr(0, segment.end);
    std::string* copied = nullptr;  // the converted text being built, not yet a piece
    for (std::size_t pos = segment.begin; pos < segment.end;) {
        const std::size_t bare = NextBareLineFeed(pos, segment.end);
        const std::size_t runEnd = bare == bytescan::npos ? segment.end : bare;
        const std::string_view run = text.substr(pos, runEnd - pos);
        if (copied == nullptr || run.size() >= kLongRun) {
            if (copied != nullptr) {
                AddPiece(pieces, *copied);
                copied = nullptr;
            }
            AddPiece(pieces, run);
        } else {
            copied->append(run);
        }
        if (bare == bytescan::npos) {
            break;
        }
        if (copied == nullptr) {
            converted.emplace_back();
            copied = &converted.back();
        }
        copied->append("\r\n");
        pos = bare + 1;
    }
    if (copied != nullptr) {
        AddPiece(pieces, *copied);
    }
}

std::string IniLines::SaveBytes() const {
    std::vector<std::string_view> pieces;
    std::deque<std::string> converted;
    SavePieces(pieces, converted);
    std::size_t size = 0;
    for (const std::string_view piece : pieces) {
        size += piece.size();
    }
    std::string bytes;
    bytes.reserve(size);
    for (const std::string_view piece : pieces) {
        bytes.append(piece);
    }
    return bytes;
}

std::optional<IniLine> IniLines::LastKeyLine(const IniStretch& stretch) const {
    const Segment& segment = m_segments[stretch.segment];
    if (segment.ownLine) {
        const bool isKey =
            stretch.begin < stretch.end && KindOfLine(Bytes(segment)) == IniLineKind::Key;
        return isKey ? std::optional<IniLine>(IniLine{stretch.segment, 0}) : std::nullopt;
    }
    // No header lies in a stretch: a line with an '=' is a key line unless it is a comment.
    const std::string_view text = Loaded();
    for (std::size_t pos = stretch.end; pos > stretch.begin; --pos) {
        if (text[pos - 1] != '=') {
            continue;
        }
        const std::size_t begin = LineStart(pos - 1, stretch.begin);
        if (KindOfLine(LoadedContent(begin, stretch.end)) == IniLineKind::Key) {
            return IniLine{stretch.segment, begin};
        }
        pos = begin + 1;  // on to the line before
    }
    return std::nullopt;
}

bool IniLines::HasKeyLine(const IniStretch& stretch) const {
    return LastKeyLine(stretch).has_value();
}

IniStretch IniLines::After(const IniStretch& stretch, const IniLine& line) const {
    const std::size_t end = m_segments[stretch.segment].ownLine
                                ? stretch.end
                                : std::min(LineEnd(line.begin, stretch.end) + 1, stretch.end);
    return IniStretch{stretch.segment, end, stretch.end};
}

IniStretch IniLines::Before(const IniStretch& stretch, const IniLine& line) const {
    if (line.segment != stretch.segment) {
        const std::size_t end = line.segment > stretch.segment ? stretch.end : stretch.begin;
        return IniStretch{stretch.segment, stretch.begin, end};
    }
    return IniStretch{stretch.segment, stretch.begin, std::min(line.begin, stretch.end)};
}

std::string_view IniLines::Content(const IniLine& line) const {
    const Segment& segment = m_segments[line.segment];
    return segment.ownLine ? Bytes(segment) : LoadedContent(line.begin, segment.end);
}

bool IniLines::EndsWithLineFeed(const IniLine& line) const {
    const Segment& segment = m_segments[line.segment];
    return segment.ownLine ? segment.lineFeed : LineEnd(line.begin, segment.end) < segment.end;
}

IniLine IniLines::Last() const {
    const std::size_t index = m_segments.size() - 1;
    const Segment& segment = m_segments[index];
    return IniLine{index, segment.ownLine ? 0 : LineStart(segment.end - 1, segment.begin)};
}

IniLine IniLines::LineAt(std::size_t number) const {
    for (std::size_t index = 0; index < m_segments.size(); ++index) {
        const Segment& segment = m_segments[index];
        if (segment.ownLine) {
            if (number-- == 0) {
                return IniLine{index, 0};
            }
            continue;
        }
        for (std::size_t begin = segment.begin; begin < segment.end;
             begin = LineEnd(begin, segment.end) + 1) {
            if (number-- == 0) {
                return IniLine{index, begin};
            }
        }
    }
    return End();
}

bool IniLines::Precedes(const IniLine& left, const IniLine& right) {
    return left.segment < right.segment ||
           (left.segment == right.segment && left.begin < right.begin);
}

void IniLines::Replace(const IniLine& line, const std::string& text) {
    if (line.segment >= m_segments.size()) {
        return;
    }
    const Segment own = OwnLine(text);
    const std::size_t index = SplitAt(line);
    Segment& segment = m_segments[index];
    const std::size_t next =
        segment.ownLine ? segment.end : LineEnd(segment.begin, segment.end) + 1;
    if (next >= segment.end) {
        segment = own;
        return;
    }
    segment.begin = next;
    m_segments.insert(m_segments.begin() + static_cast<std::ptrdiff_t>(index), own);
}

void IniLines::EditLines(const std::vector<LineEdit>& edits,
                         const std::function<std::string(std::string_view)>& edited) {
    std::size_t capacity = 1 + m_bomSize;  // a last line without its line feed gains one
    for (const Segment& segment : m_segments) {
        capacity += segment.ownLine ? 0 : segment.end - segment.begin;
    }
    std::unique_ptr<char[]> text(new char[capacity]);
    std::size_t size = 0;
    std::vector<Segment> segments;
    const auto append = [&](std::string_view bytes) {
        std::memcpy(text.get() + size, bytes.data(), bytes.size());
        size += bytes.size();
    };
    // Loaded text laid out anew continues the segment before it where that one is loaded too.
    const auto endRun = [&](std::size_t runStart) {
        if (size == runStart) {
            return;
        }
        if (!segments.empty() && !segments.back().ownLine && segments.back().end == runStart) {
            segments.back().end = size;
        } else {
            segments.push_back(Segment{runStart, size, false, false});
        }
    };
    append(Loaded().substr(0, m_bomSize));
    auto edit = edits.begin();
    std::size_t number = 0;  // of the line at hand
    // Whether the line at hand is edited; a line given twice keeps its first edit.
    const auto editsLineAtHand = [&] {
        while (edit != edits.end() && edit->number < number) {
            ++edit;
        }
        return edit != edits.end() && edit->number == number;
    };
    for (const Segment& segment : m_segments) {
        if (segment.ownLine) {
            const bool editedHere = editsLineAtHand();
            if (!editedHere) {
                segments.push_back(segment);
            } else if (!edit->remove) {
                segments.push_back(OwnLine(edited(Bytes(segment)) + '\n'));
            }
            ++number;
            continue;
        }
        const std::size_t runStart = size;
        for (std::size_t begin = segment.begin; begin < segment.end; ++number) {
            const std::size_t feed = LineEnd(begin, segment.end);
            const std::size_t next = std::min(feed + 1, segment.end);
            if (!editsLineAtHand()) {
                append(Loaded().substr(begin, next - begin));
            } else if (!edit->remove) {
                const std::string_view content = LoadedContent(begin, segment.end);
                const std::string text = edited(content);
                // Longer text would not fit where the line was: that line stays as it is.
                const bool fits = text.size() <= content.size();
                append(fits ? std::string_view(text) : content);
                append(feed < segment.end && content.size() < feed - begin ? "\r\n" : "\n");
            }
            begin = next;
        }
        endRun(runStart);
    }
    m_loaded = std::move(text);
    m_loadedSize = size;
    m_segments = std::move(segments);
    FindHeaders();
}

void IniLines::InsertBefore(const IniLine& line, const std::string& text) {
    const Segment own = OwnLine(text);
    const std::size_t index = SplitAt(line);
    m_segments.insert(m_segments.begin() + static_cast<std::ptrdiff_t>(index), own);
}

void IniLines::Remove(const IniLine& line) {
    if (line.segment >= m_segments.size()) {
        return;
    }
    const std::size_t index = SplitAt(line);
    Segment& segment = m_segments[index];
    const std::size_t next =
        segment.ownLine ? segment.end : LineEnd(segment.begin, segment.end) + 1;
    if (next >= segment.end) {
        m_segments.erase(m_segments.begin() + static_cast<std::ptrdiff_t>(index));
    } else {
        segment.begin = next;
    }
}

std::string_view IniLines::Bytes(const Segment& segment) const {
    const std::string_view bytes = segment.ownLine ? std::string_view(m_added) : Loaded();
    return bytes.substr(segment.begin, segment.end - segment.begin);
}

std::size_t IniLines::LineEnd(std::size_t begin, std::size_t limit) const {
    if (begin >= limit) {
        return limit;
    }
    const void* feed = std::memchr(m_loaded.get() + begin, '\n', limit - begin);
    return feed == nullptr
               ? limit
               : static_cast<std::size_t>(static_cast<const char*>(feed) - m_loaded.get());
}

std::size_t IniLines::LineStart(std::size_t pos, std::size_t floor) const {
    for (; pos > floor; --pos) {
        if (m_loaded[pos - 1] == '\n') {
            return pos;
        }
    }
    return floor;
}

std::string_view IniLines::LoadedContent(std::size_t begin, std::size_t limit) const {
    std::size_t end = LineEnd(begin, limit);
    // A CR LF pair arrives as LF; any other CR is an ordinary byte.
    if (end < limit && end > begin && m_loaded[end - 1] == '\r') {
        --end;
    }
    return Loaded().substr(begin, end - begin);
}

std::size_t IniLines::SplitAt(const IniLine& line) {
    if (line.segment >= m_segments.size()) {
        return m_segments.size();
    }
    Segment& segment = m_segments[line.segment];
    if (segment.ownLine || line.begin == segment.begin) {
        return line.segment;
    }
    Segment tail = segment;
    tail.begin = line.begin;
    segment.end = line.begin;
    m_segments.insert(m_segments.begin() + static_cast<std::ptrdiff_t>(line.segment) + 1, tail);
    return line.segment + 1;
}

IniLines::Segment IniLines::OwnLine(const std::string& text) {
    const bool lineFeed = !text.empty() && text.back() == '\n';
    const std::size_t begin = m_added.size();
    m_added.append(text, 0, text.size() - (lineFeed ? 1 : 0));
    return Segment{begin, m_added.size(), true, lineFeed};
}
