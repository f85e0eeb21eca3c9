#pragma once
// A driver's INI list file held as its raw lines. The operations find, fill and
// add numbered entries of a section; lines that no operation edits are written back exactly
// as they were read.
//
// Line rules: a line whose trimmed text starts with ';' is a comment, which the driver does
// not read: neither header nor key line. Otherwise a line whose trimmed text holds both '['
// and ']' is a section header, named by its whole trimmed text; otherwise a line holding '='
// is a key line, keyed by the text left of the first '='. Key lines above the first header
// belong to every section. A UTF-8 byte order mark at the start of the file is no part of the
// first line, and is written back as it was. Texts are code page 932 bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ini/IniLines.h"
#include "platform/Platform.h"

class CINIRead {
public:
    CINIRead();
    virtual ~CINIRead();

    // 0 loaded; -1 the file could not be opened for reading and writing (missing, read-only,
    // locked, not a regular single-link file) or read. The lines are kept as they were on
    // failure. LastFileStatus tells why.
    int Load(const std::string& path);
    // A file longer than `limit` bytes is not read (TooLarge).
    int Load(const platform::Folder& folder, const std::string& name,
             std::uint64_t limit = platform::kAnySize);
    // The same without asking for write access or sole use: a read-only file loads, and a
    // file another program holds for its sole use is Locked. Save still refuses a file that
    // is no longer the one read.
    int LoadShared(const platform::Folder& folder, const std::string& name, std::uint64_t limit);
    // 0 written; -1 the file could not be written, and it is left as it was. Saving under the
    // name that was loaded fails when the file there is no longer the one that was read.
    int Save(const std::string& path);
    int Save(const platform::Folder& folder, const std::string& name);
    // 0 when Save would be allowed to write, without writing.
    int CheckSave(const platform::Folder& folder, const std::string& name);
    platform::FileStatus LastFileStatus() const { return m_lastStatus; }

    // 1 and the found line's trimmed text when a key line of `section` has `value` (ignoring
    // ASCII letter case and surrounding blanks) as its value; else 0 and `line` empty.
    // A null or empty section stands for every section.
    int FindValueLine(const char* section, const std::string& value, std::string& line);
    // 1 when the first key line of `section` keyed `key` (ignoring case) had an empty value
    // and now reads key=value; else 0 and nothing changed.
    int FillEmptyKey(const char* section, const std::string& key, const std::string& value);
    // 1 when the entry of the first of `keys` (in the order given) that is free now reads
    // key=value, that key handed back in `filledKey`; else 0 and nothing changed. An entry is
    // free when the first key line of `section` with its key has an empty value and no line of
    // the section of the same slot holds a value ("2=x" or "000002 =x" beside "000002="):
    // another profile lives there.
    int FillFreeKey(const char* section, const std::vector<std::string>& keys,
                    const std::string& value, std::string& filledKey);
    // 1 when a new entry of `section` with `value` was added, its key handed back in
    // `newKey`; 0 when the section holds no key line. The key is "%06d" of the last key's
    // number plus 1, or of the next number above it that no key of the section has; the line
    // goes directly before the first header after that last key that does not open the
    // section again, or at the end.
    int AppendKey(const char* section, const std::string& value, std::string& newKey);
    // The same for the section "[Informations]".
    int AppendInformationsKey(const std::string& value, std::string& newKey);
    // Every key line of `section` whose value is `value` (compared as FindValueLine does), in
    // line order, with its key.
    struct ValueEntry {
        std::size_t line;
        std::string key;
    };
    std::vector<ValueEntry> FindValueEntries(const char* section, const std::string& value) const;
    // Gives each of `entries`, as FindValueEntries lists them, an empty value again, or takes
    // its line away where `removes` says so: in one pass, however many there are.
    void EmptyOrRemoveEntries(const std::vector<ValueEntry>& entries,
                              const std::vector<bool>& removes);
    // Gives the key line at `line` an empty value again ("key="), or takes the line away.
    // Line numbers after a removed line move up by one. A line number past the last line,
    // and for EmptyValueAt a line that is no key line, changes nothing.
    void EmptyValueAt(std::size_t line);
    void RemoveLineAt(std::size_t line);
    // Whether `section` holds any key line.
    bool HasKeyLine(const char* section) const;
    // Whether the file has a header of `section`.
    bool HasSectionHeader(const char* section) const;
    // For each of `keys`, whether a key line of `section` of the same slot (a key that stands
    // for no slot: of the same key) holds a value.
    std::vector<bool> ValuedKeys(const char* section, const std::vector<std::string>& keys) const;

    // The same store from and to memory: file bytes in, file bytes out.
    void LoadBytes(const std::string& bytes);
    std::string SaveBytes() const;

private:
    enum class Access { ForUpdate, Shared };
    int Load(const platform::Folder& folder, const std::string& name, std::uint64_t limit,
             Access access);
    void ReplaceLine(const IniLine& line, const std::string& text);
    void InsertLine(const IniLine& line, const std::string& text);
    // The identity the file under `path` must still have when it is saved, or null.
    const platform::FileIdentity* ExpectedIdentity(const std::string& path) const;
    // The first key line of the stretch whose value is `value`, compared as FindValueLine does.
    std::optional<IniLine> FindValueIn(const IniStretch& stretch, const std::string& value) const;
    // Whether a key line of `section` before `line` is keyed `key`.
    bool HasKeyLineBefore(const char* section, const std::string& key, const IniLine& line) const;
    // The last key line of the section that a new entry follows, and the header that the
    // entry goes directly before (none: the end).
    struct SectionEnd {
        std::optional<IniLine> lastKey;
        std::optional<IniLine> closingHeader;
    };
    SectionEnd FindSectionEnd(const char* section) const;
    // `number` moved up past the numbers of the section's key lines of the whole file, so
    // that a new key cannot clash with one; false when no number is left.
    bool TakeFreeNumber(const char* section, std::int64_t& number) const;
    bool HasKeyNumbered(const char* section, std::int64_t number) const;
    // The numbers, from `lowest` up, of the section's key lines of the whole file, sorted: the
    // numbers a new key counting up from `lowest` could clash with.
    std::vector<std::int64_t> NumbersFrom(const char* section, std::int64_t lowest) const;

    std::string m_strPath;
    std::string m_loadedPath;  // empty when the lines came from elsewhere
    platform::FileIdentity m_loadedIdentity;
    platform::FileStatus m_lastStatus = platform::FileStatus::Ok;
    IniLines m_arrLines;
};
