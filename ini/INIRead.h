#pragma once
// A driver's INI list file held as the array of its raw lines. The operations find, fill and
// add numbered entries of a section; lines that no operation edits are written back exactly
// as they were read.
//
// Line rules: a line whose trimmed text holds both '[' and ']' is a section header, named by
// its whole trimmed text; otherwise a line holding '=' is a key line, keyed by the text left
// of the first '='. Key lines above the first header belong to every section. Texts are code
// page 932 bytes.

#include <string>

#include "ini/IniLines.h"
#include "ini/KeyIndex.h"

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
    void ReplaceLine(std::size_t index, const std::string& text);
    void InsertLine(std::size_t index, const std::string& text);

    std::string m_strPath;
    IniLines m_arrLines;
    // Dropped whenever a line changes.
    KeyIndex m_keyIndex;
};
