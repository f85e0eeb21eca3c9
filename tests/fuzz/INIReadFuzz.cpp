// Arbitrary bytes as a list file: the installers' operations run on them, and the saved
// text, read again, differs from the original only in the lines those operations edited.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ini/INIRead.h"

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
    return 0;
}
