// Arbitrary bytes as a list file: the installers' operations run on them, and the saved
// text, read again, differs from the original only in the lines those operations edited.
// Then a run of every operation, with arguments drawn from the bytes, answers and writes what
// the same run on a plain array of lines does.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ini/INIRead.h"
#include "ini/ReferenceStore.h"

namespace {

// Lines as the store reads them, without their line feed: an appended entry may give the
// last line one.
std::vector<std::string> LinesOf(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t pos = 0; pos < bytes.size(); ++pos) {
        if (bytes[pos] == '\n' ||
            (bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n')) {
            pos += bytes[pos] == '\r' ? 1 : 0;
            lines.push_back(std::move(line));
            line.clear();
        } else {
            line += bytes[pos];
        }
    }
    if (!line.empty()) {
        lines.push_back(std::move(line));
    }
    return lines;
}

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// `after` is `before` with at most one line rewritten to end in "=v".
bool DiffersByOneFill(const std::vector<std::string>& before,
                      const std::vector<std::string>& after) {
    if (after.size() != before.size()) {
        return false;
    }
    std::size_t differences = 0;
    for (std::size_t index = 0; index < before.size(); ++index) {
        if (before[index] != after[index]) {
            const std::string& line = after[index];
            const bool filled = line.size() >= 2 && line.compare(line.size() - 2, 2, "=v") == 0;
            differences += filled ? 1 : 2;
        }
    }
    return differences <= 1;
}

// The same with, when a key was appended, its line "key=v" inserted somewhere.
void CheckOnlyEditedLinesChanged(const std::vector<std::string>& before,
                                 const std::vector<std::string>& after, const std::string* newKey) {
    if (newKey == nullptr) {
        Check(DiffersByOneFill(before, after));
        return;
    }
    const std::string appended = *newKey + "=v";
    for (std::size_t index = 0; index < after.size(); ++index) {
        if (after[index] != appended) {
            continue;
        }
        std::vector<std::string> withoutAppended = after;
        withoutAppended.erase(withoutAppended.begin() + static_cast<std::ptrdiff_t>(index));
        if (DiffersByOneFill(before, withoutAppended)) {
            return;
        }
    }
    Check(false);
}

// Small numbers drawn from the input's bytes, the same for the same input.
class Draw {
public:
    explicit Draw(const std::string& bytes) {
        for (const char byte : bytes) {
            m_state = (m_state ^ static_cast<unsigned char>(byte)) * 1099511628211ull;
        }
    }
    std::size_t Below(std::size_t limit) {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::size_t>(m_state >> 33) % limit;
    }

private:
    std::uint64_t m_state = 14695981039346656037ull;
};

// A value or key for an operation: a piece of the input itself, or a fixed one.
std::string Argument(const std::string& bytes, Draw& draw) {
    static const char* const kFixed[] = {"", "v", "000001", "a[1]", "m\nn", "\x83X\x81["};
    if (bytes.empty() || draw.Below(3) == 0) {
        return kFixed[draw.Below(sizeof kFixed / sizeof kFixed[0])];
    }
    const std::size_t start = draw.Below(bytes.size());
    return bytes.substr(start, draw.Below(12));
}

void CheckAgainstLineRules(const std::string& bytes) {
    static const char* const kSections[] = {nullptr, "[Informations]", "[A]"};
    Draw draw(bytes);
    CINIRead store;
    store.LoadBytes(bytes);
    ReferenceStore reference(bytes);
    for (int step = 0; step < 8; ++step) {
        const char* section = kSections[draw.Below(3)];
        const std::string first = Argument(bytes, draw);
        const std::string second = Argument(bytes, draw);
        std::string got, expected;
        switch (draw.Below(7)) {
            case 0:
                Check(store.FindValueLine(section, first, got) ==
                      reference.FindValueLine(section, first, expected));
                break;
            case 1:
                Check(store.FillEmptyKey(section, first, second) ==
                      reference.FillEmptyKey(section, first, second));
                break;
            case 2:
                Check(store.AppendInformationsKey(first, got) ==
                      reference.AppendInformationsKey(first, expected));
                break;
            case 3:
                Check(store.FindValueEntries(section, first).size() ==
                      reference.FindValueEntries(section, first).size());
                break;
            case 4: {
                // Many edits in one pass, as single edits from the last line up.
                const auto entries = store.FindValueEntries(section, first);
                std::vector<bool> removes;
                for (std::size_t index = 0; index < entries.size(); ++index) {
                    removes.push_back(draw.Below(2) == 0);
                }
                store.EmptyOrRemoveEntries(entries, removes);
                for (std::size_t index = entries.size(); index-- > 0;) {
                    if (removes[index]) {
                        reference.RemoveLineAt(entries[index].line);
                    } else {
                        reference.EmptyValueAt(entries[index].line);
                    }
                }
                break;
            }
            case 5: {
                const std::size_t line = draw.Below(reference.LineCount() + 1);
                store.EmptyValueAt(line);
                reference.EmptyValueAt(line);
                break;
            }
            default: {
                const std::size_t line = draw.Below(reference.LineCount() + 1);
                store.RemoveLineAt(line);
                reference.RemoveLineAt(line);
            }
        }
        Check(got == expected);
        Check(store.SaveBytes() == reference.SaveBytes());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string original(reinterpret_cast<const char*>(data), size);
    CINIRead store;
    store.LoadBytes(original);
    std::string line;
    std::string key;
    store.FindValueLine("[Informations]", "\x92\xCA\x92\xA0\x83}\x83\x8B\x83`", line);
    bool filled = false;
    for (int slot = 1; slot <= 99 && !filled; ++slot) {
        std::string slotKey = std::to_string(slot);
        slotKey.insert(0, slotKey.size() < 6 ? 6 - slotKey.size() : 0, '0');
        filled = store.FillEmptyKey("[Informations]", slotKey, "v") > 0;
    }
    const bool appended = store.AppendInformationsKey("v", key) != 0;

    CINIRead reloaded;
    reloaded.LoadBytes(store.SaveBytes());
    Check(reloaded.SaveBytes() == store.SaveBytes());
    CheckOnlyEditedLinesChanged(LinesOf(original), LinesOf(store.SaveBytes()),
                                appended ? &key : nullptr);
    CheckAgainstLineRules(original);
    return 0;
}
