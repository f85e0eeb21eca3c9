#pragma once
// The lines of an INI text, kept in the bytes as they were loaded. There is no entry per line:
// the operations search the text for what they look for and judge only the lines they land
// in, so that a list of a million lines costs little more than reading and writing it. An
// edited or added line is kept apart, and the text is a row of segments: runs of whole loaded
// lines, and single lines of their own. Loading finds only the section headers and whether
// any line ends in a bare line feed.
//
// Text mode, the same on every system: the bytes are read as they are, a CR LF pair arrives
// as LF, and every LF is written as CR LF. No other byte (not even 0x1A) is special, but for a
// UTF-8 byte order mark at the very start, which belongs to no line and is written back.

#include <algorithm>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/ByteScan.h"

enum class IniLineKind { Other, SectionHeader, Key };

// What one line is, from its content (without its line feed), by the rules in INIRead.h.
IniLineKind KindOfLine(std::string_view content);
// The line without white space at either end.
std::string_view TrimmedLine(std::string_view content);
// Key lines: the trimmed text left of the first '=', not trimmed again ...
std::string_view KeyOfLine(std::string_view content);
// ... and the text right of it, trimmed.
std::string_view ValueOfLine(std::string_view content);

// Where a line stands; valid until the next change of the lines.
struct IniLine {
    std::size_t segment = 0;
    std::size_t begin = 0;  // where it starts in the loaded bytes; 0 for a line of its own
};

// Lines with no section header among them, in one segment: whole loaded lines in
// [begin, end), or a single line of its own, there while [begin, end) is [0, 1).
struct IniStretch {
    std::size_t segment = 0;
    std::size_t begin = 0;
    std::size_t end = 0;
};

// A section header, or the stretch of lines up to the next one.
struct IniPart {
    bool isHeader = false;
    IniLine header;
    IniStretch stretch;
};

class IniLines {
public:
    IniLines() = default;
    IniLines(const IniLines& other);
    IniLines& operator=(const IniLines& other);
    IniLines(IniLines&& other) noexcept = default;
    IniLines& operator=(IniLines&& other) noexcept = default;
    ~IniLines() = default;

    void Load(std::unique_ptr<char[]> bytes, std::size_t size);
    void LoadBytes(std::string_view bytes);
    // The bytes to write, in order: runs of the loaded text as they stand and, kept in
    // `converted`, the texts that had to change (edited lines, bare line feeds).
    void SavePieces(std::vector<std::string_view>& pieces,
                    std::deque<std::string>& converted) const;
    std::string SaveBytes() const;

    // The headers and the stretches between them, in line order, until `visit` returns false.
    template <typename Visit>
    void ForEachPart(Visit visit) const;
    // Every line of a stretch, until `visit(line, content)` returns false.
    template <typename Visit>
    bool ForEachLineIn(const IniStretch& stretch, Visit visit) const;

    // The first line of the stretch that holds `needle` (ASCII letters compared without case;
    // empty: any line) and whose content `accept` takes.
    template <typename Accept>
    std::optional<IniLine> FindLine(const IniStretch& stretch, std::string_view needle,
                                    Accept accept) const;
    // The same among the lines that hold an '=' followed by a blank, a control byte or the
    // line end: every key line with an empty value does.
    template <typename Accept>
    std::optional<IniLine> FindLineWithBareEquals(const IniStretch& stretch, Accept accept) const;
    // The last key line of a stretch, and whether there is any.
    std::optional<IniLine> LastKeyLine(const IniStretch& stretch) const;
    bool HasKeyLine(const IniStretch& stretch) const;
    // The stretch's lines after `line`, which lies in it.
    IniStretch After(const IniStretch& stretch, const IniLine& line) const;
    // The stretch's lines before `line`, which lies in it or after it.
    IniStretch Before(const IniStretch& stretch, const IniLine& line) const;

    std::string_view Content(const IniLine& line) const;
    bool EndsWithLineFeed(const IniLine& line) const;
    // Past the last line; the last line itself (of lines that are not empty).
    IniLine End() const { return IniLine{m_segments.size(), 0}; }
    IniLine Last() const;
    // The line of a number counted from 0, or End().
    IniLine LineAt(std::size_t number) const;
    // Whether `left` comes before `right`.
    static bool Precedes(const IniLine& left, const IniLine& right);

    // A line's new text, with its line feed.
    void Replace(const IniLine& line, const std::string& text);
    // An edit of the line of a number counted from 0: its removal, or new text made from its
    // content.
    struct LineEdit {
        std::size_t number = 0;
        bool remove = false;
    };
    // Carries out edits given in increasing order of their lines, in one pass; an edited line
    // that stays gets `edited(content)` and keeps its line end. The loaded lines are laid out
    // anew in a block of their size, so that memory stays that of the text however many lines
    // are edited. `edited` must give no more bytes than the content it is given.
    void EditLines(const std::vector<LineEdit>& edits,
                   const std::function<std::string(std::string_view)>& edited);
    void InsertBefore(const IniLine& line, const std::string& text);
    void Remove(const IniLine& line);

private:
    struct Segment {
        std::size_t begin = 0;  // in the loaded bytes, or in m_added for a line of its own
        std::size_t end = 0;
        bool ownLine = false;
        bool lineFeed = false;  // of a line of its own
    };

    std::string_view Bytes(const Segment& segment) const;
    std::string_view Loaded() const { return std::string_view(m_loaded.get(), m_loadedSize); }
    // Where the loaded line at `begin` ends: its line feed, or `limit`.
    std::size_t LineEnd(std::size_t begin, std::size_t limit) const;
    // Where the loaded line that holds `pos` starts, looking back no further than `floor`.
    std::size_t LineStart(std::size_t pos, std::size_t floor) const;
    std::string_view LoadedContent(std::size_t begin, std::size_t limit) const;
    void FindHeaders();
    // The first bare line feed of the loaded bytes in [from, limit), or npos.
    std::size_t NextBareLineFeed(std::size_t from, std::size_t limit) const;
    // The segment that starts with `line`, split off where needed.
    std::size_t SplitAt(const IniLine& line);
    Segment OwnLine(const std::string& text);
    void AddLoadedPieces(const Segment& segment, std::vector<std::string_view>& pieces,
                         std::deque<std::string>& converted) const;
    template <typename Next, typename Accept>
    std::optional<IniLine> Search(const IniStretch& stretch, Next next, Accept accept) const;

    std::unique_ptr<char[]> m_loaded;
    std::size_t m_loadedSize = 0;
    // The UTF-8 byte order mark that starts the loaded bytes, outside every line: 3 or 0.
    std::size_t m_bomSize = 0;
    // The starts of the loaded lines that are section headers, in order.
    std::vector<std::size_t> m_headers;
    // The loaded bytes' first line feed without a carriage return before it, or npos.
    std::size_t m_firstBareLineFeed = bytescan::npos;
    // The contents of edited and added lines, one after another.
    std::string m_added;
    std::vector<Segment> m_segments;
};

// --- Templates ----------------------------------------------------------------------------

template <typename Visit>
void IniLines::ForEachPart(Visit visit) const {
    for (std::size_t index = 0; index < m_segments.size(); ++index) {
        const Segment& segment = m_segments[index];
        if (segment.ownLine) {
            IniPart part;
            part.isHeader = KindOfLine(Bytes(segment)) == IniLineKind::SectionHeader;
            part.header = IniLine{index, 0};
            part.stretch = IniStretch{index, 0, 1};
            if (!visit(part)) {
                return;
            }
            continue;
        }
        std::size_t begin = segment.begin;
        auto header = std::lower_bound(m_headers.begin(), m_headers.end(), segment.begin);
        for (; header != m_headers.end() && *header < segment.end; ++header) {
            IniPart part;
            part.stretch = IniStretch{index, begin, *header};
            if (begin < *header && !visit(part)) {
                return;
            }
            part.isHeader = true;
            part.header = IniLine{index, *header};
            if (!visit(part)) {
                return;
            }
            begin = std::min(LineEnd(*header, segment.end) + 1, segment.end);
        }
        IniPart part;
        part.stretch = IniStretch{index, begin, segment.end};
        if (begin < segment.end && !visit(part)) {
            return;
        }
    }
}

template <typename Visit>
bool IniLines::ForEachLineIn(const IniStretch& stretch, Visit visit) const {
    const Segment& segment = m_segments[stretch.segment];
    if (segment.ownLine) {
        return stretch.begin >= stretch.end || visit(IniLine{stretch.segment, 0}, Bytes(segment));
    }
    for (std::size_t begin = stretch.begin; begin < stretch.end;
         begin = LineEnd(begin, stretch.end) + 1) {
        if (!visit(IniLine{stretch.segment, begin}, LoadedContent(begin, stretch.end))) {
            return false;
        }
    }
    return true;
}

template <typename Accept>
std::optional<IniLine> IniLines::FindLine(const IniStretch& stretch, std::string_view needle,
                                          Accept accept) const {
    if (needle.empty()) {
        return Search(
            stretch, [](std::string_view, std::size_t from) { return from; }, accept);
    }
    return Search(
        stretch,
        [needle](std::string_view text, std::size_t from) {
            return bytescan::FindFolded(text, from, needle);
        },
        accept);
}

template <typename Accept>
std::optional<IniLine> IniLines::FindLineWithBareEquals(const IniStretch& stretch,
                                                        Accept accept) const {
    return Search(stretch, bytescan::FindEqualsBeforeSpaceOrControl, accept);
}

// `next(text, from)` gives the next place at or after `from` that may lie in a wanted line;
// each line is judged once, however many such places it holds.
template <typename Next, typename Accept>
std::optional<IniLine> IniLines::Search(const IniStretch& stretch, Next next, Accept accept) const {
    if (stretch.begin >= stretch.end) {
        return std::nullopt;
    }
    const Segment& segment = m_segments[stretch.segment];
    if (segment.ownLine) {
        const std::string_view content = Bytes(segment);
        const bool found = next(content, 0) != bytescan::npos && accept(content);
        return found ? std::optional<IniLine>(IniLine{stretch.segment, 0}) : std::nullopt;
    }
    const std::string_view text = Loaded().substr(0, stretch.end);
    for (std::size_t from = stretch.begin; from < stretch.end;) {
        const std::size_t place = next(text, from);
        if (place == bytescan::npos) {
            break;
        }
        const std::size_t begin = LineStart(place, from);
        if (accept(LoadedContent(begin, stretch.end))) {
            return IniLine{stretch.segment, begin};
        }
        from = LineEnd(place, stretch.end) + 1;
    }
    return std::nullopt;
}
