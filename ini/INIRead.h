#pragma once
// A driver's INI list file held as the array of its raw lines. The operations find, fill and
// add numbered entries of a section; lines that no operation edits are written back exactly
// as they were read.
//
// Line rules: a line whose trimmed text holds both '[' and ']' is a section header, named by
// its whole trimmed text; otherwise a line holding '=' is a key line, keyed by the text left
// of the first '='. Key lines above the first header belong to every section. Texts are code
// page 932 bytes.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ini/IniLine.h"
#include "text/Cp932.h"

class CINIRead {
public:
    CINIRead();
    virtual ~CINIRead();

    // 0 loaded; -1 the file could not be opened for reading and writing (missing, read-only,
    // locked) or read. The lines are kept as they were on failure.
    int Load(const std::string& path);
    // 0 written; -1 the file could not be written, and it is left as it was.
    int Save(const std::string& path);

    // 1 and the found line's trimmed text when a key line of `section` has `value` (ignoring
    // ASCII letter case and surrounding blanks) as its value; else 0 and `line` empty.
    // A null or empty section stands for every section.
    int FindValueLine(const char* section, const std::string& value, std::string& line);
    // 1 when the first key line of `section` keyed `key` (ignoring case) had an empty value
    // and now reads key=value; else 0 and nothing changed.
    int FillEmptyKey(const char* section, const std::string& key, const std::string& value);
    // 1 when an entry "%06d" of the last [Informations] key plus 1 was added with `value`,
    // its key handed back in `newKey`; 0 when the section holds no key line.
    int AppendInformationsKey(const std::string& value, std::string& newKey);

    // The same store from and to memory: file bytes in, file bytes out.
    void LoadBytes(const std::string& bytes);
    std::string SaveBytes() const;

private:
    struct NoCaseHash {
        std::size_t operator()(std::string_view text) const { return cp932::HashNoCase(text); }
    };
    struct NoCaseEqual {
        bool operator()(std::string_view left, std::string_view right) const {
            return cp932::EqualsNoCase(left, right);
        }
    };
    // Keys view the lines' texts, so the index is dropped whenever a line changes.
    using KeyIndex = std::unordered_map<std::string_view, std::size_t, NoCaseHash, NoCaseEqual>;

    void ForgetKeyIndex();
    const KeyIndex& KeyIndexFor(const std::string& section);
    void ReplaceLine(std::size_t index, std::string text);
    void InsertLine(std::size_t index, std::string text);

    std::string m_strPath;
    std::vector<IniLine> m_arrLines;

    // First key line of each case-folded key within one section, so that a run of
    // FillEmptyKey calls scans the lines once. Dropped whenever a line changes.
    bool m_keyIndexValid = false;
    std::string m_keyIndexSection;
    KeyIndex m_keyIndex;
};
