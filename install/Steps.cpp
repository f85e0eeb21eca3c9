#include "install/Steps.h"

#include "platform/Platform.h"

namespace {

// How a step's line names what it works on.
enum class Names {
    File,   // "<what>: <file>"
    Entry,  // "<what>: <key> (<file>)"
    Slot,   // "<what>: スロット <slot> (<file>)"
};

// What a step does, as bits.
enum : unsigned {
    kWrites = 1,  // writes a file itself
    kEdits = 2,   // edits the list, which its save writes
    kCopies = 4,  // part of the copying of the profile set
    kSlot = 8,    // names a slot by its number
};

struct StepRow {
    StepKind kind;
    const char* code;
    unsigned does;
    const char* piece;
    Names names;
    const char* text;
};

// clang-format off
constexpr StepRow kSteps[] = {
    {StepKind::CopyFile, "copy", kWrites | kCopies, "profile-set", Names::File, "コピー"},
    {StepKind::CopyOverForeign, "copy-over-foreign", kWrites | kCopies, "owner", Names::File,
     "他の利用者のファイルを配布ファイルで置き換え"},
    {StepKind::KeepFile, "keep", kCopies, nullptr, Names::File, "より新しいファイルを残す"},
    {StepKind::RollBack, "roll-back", kWrites | kCopies, "profile-set", Names::File,
     "より新しいファイルを配布ファイルに戻す"},
    {StepKind::ReuseEntry, "reuse-entry", 0, nullptr, Names::Entry, "登録済みのエントリを使う"},
    {StepKind::FillEntry, "fill-entry", kEdits | kSlot, "entry", Names::Entry,
     "空きエントリに登録"},
    {StepKind::AppendEntry, "append-entry", kEdits | kSlot, "entry", Names::Entry,
     "エントリを追加"},
    {StepKind::PlaceProfile, "place-profile", kWrites, "profile-file", Names::File,
     "プロファイルを配置"},
    {StepKind::PlaceOverForeign, "place-profile-over-foreign", kWrites, "owner", Names::File,
     "他の利用者のプロファイルを配布ファイルで置き換え"},
    // A leftover beside the slot's profile is no missing piece: the driver does not read it.
    {StepKind::RemoveShipped, "remove-shipped-profile", kWrites, nullptr, Names::File,
     "配布時の名前のプロファイルを削除"},
    {StepKind::RaiseFlag, "raise-flag", kWrites | kSlot, "flag", Names::Slot, "フラグを立てる"},
    {StepKind::RemoveProfile, "remove-profile", kWrites, nullptr, Names::File,
     "プロファイルを削除"},
    {StepKind::KeepProfile, "keep-profile", 0, nullptr, Names::File,
     "配布ファイルと異なるプロファイルを残す"},
    {StepKind::LowerFlag, "lower-flag", kWrites | kSlot, nullptr, Names::Slot, "フラグを下げる"},
    {StepKind::EmptyEntry, "empty-entry", kEdits | kSlot, nullptr, Names::Entry,
     "エントリを空きに戻す"},
    {StepKind::RemoveEntry, "remove-entry", kEdits | kSlot, nullptr, Names::Entry,
     "エントリを削除"},
    {StepKind::SaveList, "save-list", kWrites, nullptr, Names::File, "一覧ファイルを保存"},
};
// clang-format on

constexpr bool RowsInOrder() {
    int index = 0;
    for (const StepRow& row : kSteps) {
        if (static_cast<int>(row.kind) != index++) {
            return false;
        }
    }
    return index == static_cast<int>(StepKind::SaveList) + 1;
}
static_assert(RowsInOrder(), "one step row per kind, in the order of the kinds");

const StepRow& RowOf(StepKind kind) {
    return kSteps[static_cast<int>(kind)];
}

}  // namespace

const char* StepCode(StepKind kind) {
    return RowOf(kind).code;
}

bool WritesFile(StepKind kind) {
    return (RowOf(kind).does & kWrites) != 0;
}

bool EditsList(StepKind kind) {
    return (RowOf(kind).does & kEdits) != 0;
}

bool CopiesKit(StepKind kind) {
    return (RowOf(kind).does & kCopies) != 0;
}

bool HasSlot(StepKind kind) {
    return (RowOf(kind).does & kSlot) != 0;
}

const char* StepPiece(StepKind kind) {
    return RowOf(kind).piece;
}

std::string StepText(const InstallStep& step) {
    const StepRow& row = RowOf(step.kind);
    const std::string file = platform::PathToUtf8(step.file);
    switch (row.names) {
        case Names::Entry:
            return std::string(row.text) + ": " + platform::TextToUtf8(step.key) + " (" + file +
                   ")";
        case Names::Slot:
            return std::string(row.text) + ": スロット " + std::to_string(step.slot) + " (" + file +
                   ")";
        case Names::File:
            break;
    }
    return std::string(row.text) + ": " + file;
}
