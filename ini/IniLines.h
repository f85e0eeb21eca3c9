#pragma once
// The line array of an INI text: every line as it was read, with its line feed, kept in one
// buffer beside what the line is, so that no scan has to trim a line again.
//
// Text mode, the same on every system: the bytes are read as they are, a CR LF pair arrives
// as LF, and every LF is written as CR LF. No other byte (not even 0x1A) is special.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum class IniLineKind { Other, SectionHeader, Key };

class IniLines {
public:
    void LoadBytes(std::string bytes);
    std::string SaveBytes() const;

    std::size_t Count() const { return m_lines.size(); }
    IniLineKind Kind(std::size_t index) const { return m_lines[index].kind; }
    // The line as read, without its line feed ...
    std::string_view Content(std::size_t index) const;
    // ... which every line but a last one may have.
    bool EndsWithLineFeed(std::size_t index) const { return m_lines[index].lineFeed; }
    // The line without white space at either end.
    std::string_view Trimmed(std::size_t index) const;
    // Key lines: the trimmed text left of the first '=', not trimmed again ...
    std::string_view Key(std::size_t index) const;
    // ... and the text right of it, trimmed.
    std::string_view TrimmedValue(std::size_t index) const;

    // A line's new text, with its line feed. Every change may move the buffer: views taken
    // before it are no longer valid.
    void Replace(std::size_t index, const std::string& text);
    void Insert(std::size_t index, const std::string& text);
    void Remove(std::size_t index);

private:
    struct Line {
        std::size_t begin = 0;      // in m_buffer
        std::size_t size = 0;       // without the line end
        std::size_t trimBegin = 0;  // from here on, relative to begin
        std::size_t trimEnd = 0;
        std::size_t equals = 0;
        IniLineKind kind = IniLineKind::Other;
        bool lineFeed = false;
    };

    Line AddToBuffer(const std::string& text);
    // Judges the line content that lies in the buffer at `begin`.
    Line JudgeLine(std::size_t begin, std::size_t size, bool lineFeed) const;

    // The file's bytes as read (a line read from the file keeps its CR LF there, outside its
    // content), followed by the texts of edited and added lines.
    std::string m_buffer;
    std::vector<Line> m_lines;
};
