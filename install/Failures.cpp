#include "install/Failures.h"

#include <cstdint>

#include "install/FileLimits.h"

namespace {

struct FailureRow {
    FailureCause cause;
    const char* code;
    bool busy;
    const char* piece;
    std::uint64_t limit;  // the size the sentence names at kLimitMark, or 0
    const char* message;
};

// Where a sentence names a size limit.
constexpr char kLimitMark[] = "%L";
constexpr bool kBusy = true;

// clang-format off
constexpr FailureRow kFailures[] = {
    {FailureCause::None, "none", false, nullptr, 0, ""},
    {FailureCause::SettingsFolderMissing, "settings-folder-missing", false, "settings-folder", 0,
     "ドライバの設定フォルダ「%s」がないか、通常のフォルダではありません。"
     "ドライバがインストールされているか確認してください。"},
    {FailureCause::SettingsFolderLocked, "settings-folder-locked", kBusy, nullptr, 0,
     "ドライバの設定フォルダ「%s」を他のプログラムが使用しています。"
     "スキャナを使うアプリケーションを閉じてから、もう一度実行してください。"},
    {FailureCause::ListFileMissing, "list-file-missing", false, "list-file", 0,
     "一覧ファイル「%s」がありません。ドライバが正しくインストールされているか確認してください。"},
    {FailureCause::ListFileReadOnly, "list-file-read-only", false, "list-file", 0,
     "一覧ファイル「%s」が読み取り専用です。読み取り専用を解除してから、もう一度実行してください。"},
    {FailureCause::ListFileLocked, "list-file-locked", kBusy, nullptr, 0,
     "一覧ファイル「%s」を他のプログラムが使用しています。"
     "スキャナを使うアプリケーションを閉じてから、もう一度実行してください。"},
    {FailureCause::ListFileUnsafe, "list-file-unsafe", false, "list-file", 0,
     "一覧ファイル「%s」が通常のファイルではない(リンクなど)ため、安全のため変更しませんでした。"
     "管理者に確認してください。"},
    {FailureCause::ListFileUnreadable, "list-file-unreadable", false, "list-file", 0,
     "一覧ファイル「%s」を読み込めませんでした。"
     "ファイルを読み取れるか確認してから、もう一度実行してください。"},
    {FailureCause::ListFileTooLarge, "list-file-too-large", false, "list-file", kListFileLimit,
     "一覧ファイル「%s」が大きすぎるため(%L を超えています)、読み込みませんでした。"
     "ファイルの内容を確認してください。"},
    {FailureCause::ListSectionMissing, "list-section-missing", false, "entry", 0,
     "一覧ファイル「%s」に登録欄の見出しの行([Informations] または [TemplateLists])がないため、"
     "登録できませんでした。ドライバの一覧ファイルか、内容が壊れていないか確認してください。"},
    {FailureCause::ListSectionEmpty, "list-section-empty", false, "entry", 0,
     "一覧ファイル「%s」の登録欄に項目が一つもないため、登録できませんでした。"
     "ドライバで一度設定を保存してから、もう一度実行してください。"},
    {FailureCause::NoFreeSlot, "no-free-slot", false, "entry", 0,
     "一覧ファイル「%s」に空きがないため、登録できませんでした。"
     "ドライバで不要な設定を削除してから、もう一度実行してください。"},
    {FailureCause::SlotOutOfRange, "slot-out-of-range", false, "entry", 0,
     "一覧ファイル「%s」の番号が上限の999を超えるため、登録できませんでした。"
     "ドライバで不要な設定を削除してから、もう一度実行してください。"},
    {FailureCause::SlotKeyUnsafe, "slot-key-unsafe", false, nullptr, 0,
     "一覧ファイル「%s」の番号がファイル名に使えないか、ほかのファイルの名前と紛らわしいため、"
     "登録できませんでした。一覧ファイルの内容を確認してください。"},
    {FailureCause::KitFileMissing, "kit-file-missing", false, nullptr, 0,
     "配布ファイル「%s」がありません。配布フォルダ一式をそろえてから、もう一度実行してください。"},
    {FailureCause::KitFileUnreadable, "kit-file-unreadable", false, nullptr, 0,
     "配布ファイル「%s」を読み込めませんでした(通常のファイルでないか、読み取れません)。"
     "配布フォルダ一式をそろえ直してから、もう一度実行してください。"},
    {FailureCause::KitFileTooLarge, "kit-file-too-large", false, nullptr, kKitFileLimit,
     "配布ファイル「%s」が大きすぎるため(%L を超えています)、読み込みませんでした。"
     "配布フォルダの内容を確認してください。"},
    {FailureCause::KitUnsafe, "kit-unsafe", false, nullptr, 0,
     "配布フォルダのファイル「%s」がドライバ自身のファイルと同じ名前のため、何も変更しませんでした。"
     "配布フォルダには、配布するプロファイルだけを置いてください。"},
    {FailureCause::ProfileRenameFailed, "profile-rename-failed", false, nullptr, 0,
     "設定ファイル「%s」を置き換えられませんでした。読み取り専用でないか、"
     "他のプログラムが使用していないか確認してから、もう一度実行してください。"},
    {FailureCause::ProfileFileLocked, "profile-file-locked", kBusy, nullptr, 0,
     "設定ファイル「%s」を他のプログラムが使用しています。"
     "スキャナを使うアプリケーションを閉じてから、もう一度実行してください。"},
    {FailureCause::ProfileFileUnsafe, "profile-file-unsafe", false, nullptr, 0,
     "設定ファイル「%s」が通常のファイルではない(リンク、ハードリンクなど)ため、安全のため"
     "変更しませんでした。管理者に確認してください。"},
    {FailureCause::ProfileRemoveFailed, "profile-remove-failed", false, nullptr, 0,
     "設定ファイル「%s」を削除できませんでした。"
     "他のプログラムが使用していないか確認してから、もう一度実行してください。"},
    {FailureCause::CopyFailed, "copy-failed", false, "profile-set", 0,
     "配布ファイルを「%s」にコピーできませんでした(読み取り専用、通常のファイルでない、"
     "または書き込めません)。以降の配布ファイルはコピーしていません。"
     "ファイルを確認してから、もう一度実行してください。"},
    {FailureCause::CopyTargetLocked, "copy-target-locked", kBusy, nullptr, 0,
     "「%s」を他のプログラムが使用しているため、配布ファイルをコピーできませんでした。"
     "スキャナを使うアプリケーションを閉じてから、もう一度実行してください。"},
    {FailureCause::FlagFileMissing, "flag-file-missing", false, nullptr, 0,
     "管理ファイル「%s」がありません。ドライバが正しくインストールされているか確認してください。"},
    {FailureCause::FlagFileReadOnly, "flag-file-read-only", false, nullptr, 0,
     "管理ファイル「%s」が読み取り専用です。読み取り専用を解除してから、もう一度実行してください。"},
    {FailureCause::FlagFileLocked, "flag-file-locked", kBusy, nullptr, 0,
     "管理ファイル「%s」を他のプログラムが使用しています。"
     "スキャナを使うアプリケーションを閉じてから、もう一度実行してください。"},
    {FailureCause::FlagFileUnsafe, "flag-file-unsafe", false, nullptr, 0,
     "管理ファイル「%s」が通常のファイルではない(リンクなど)ため、安全のため変更しませんでした。"
     "管理者に確認してください。"},
    {FailureCause::FlagFileIo, "flag-file-io", false, nullptr, 0,
     "管理ファイル「%s」を読み書きできませんでした。"
     "ドライバのフォルダに書き込める利用者で、もう一度実行してください。"},
    {FailureCause::FlagFileTooLarge, "flag-file-too-large", false, nullptr, kFlagFileLimit,
     "管理ファイル「%s」が大きすぎるため(%L を超えています)、読み込みませんでした。"
     "ドライバが正しくインストールされているか確認してください。"},
    {FailureCause::SaveFailed, "save-failed", false, nullptr, 0,
     "一覧ファイル「%s」を保存できませんでした。スキャナを使うアプリケーションを閉じ、"
     "ドライバのフォルダに書き込める利用者で、もう一度実行してください。"},
    {FailureCause::FileChanged, "file-changed", kBusy, nullptr, 0,
     "「%s」が実行中に他のプログラムに変更されました。もう一度実行してください。"},
    {FailureCause::TemplateMissing, "template-missing", false, "template-file", 0,
     "テンプレートファイル「%s」がありません。"
     "配布フォルダの Twain フォルダを確認してから、もう一度実行してください。"},
    {FailureCause::OutOfMemory, "out-of-memory", false, nullptr, 0,
     "メモリが不足しています。ほかのアプリケーションを閉じてから、もう一度実行してください。"},
    {FailureCause::Unexpected, "unexpected", false, nullptr, 0,
     "予期しないエラーが発生しました。もう一度実行してください。"},
};
// clang-format on

// What a check says instead, where the run's sentence tells of a write it made.
struct CheckSentence {
    FailureCause cause;
    const char* message;
};

// clang-format off
constexpr CheckSentence kCheckSentences[] = {
    {FailureCause::CopyFailed,
     "「%s」は配布ファイルをコピーできない状態です(読み取り専用、通常のファイルでない、"
     "または書き込めません)。ファイルを確認してから、インストールを実行してください。"},
    {FailureCause::CopyTargetLocked,
     "「%s」を他のプログラムが使用しているため、配布ファイルと比べられませんでした。"
     "スキャナを使うアプリケーションを閉じてから、もう一度実行してください。"},
    {FailureCause::ProfileRenameFailed,
     "設定ファイル「%s」は置き換えられない状態です(読み取り専用か、通常のファイルではありません)。"
     "ファイルを確認してから、インストールを実行してください。"},
};
// clang-format on

constexpr bool RowsInOrder() {
    int index = 0;
    for (const FailureRow& row : kFailures) {
        if (static_cast<int>(row.cause) != index++) {
            return false;
        }
    }
    return index == kFailureCauseCount;
}
static_assert(RowsInOrder(), "one failure row per cause, in the order of the causes");

const FailureRow& RowOf(FailureCause cause) {
    const int index = static_cast<int>(cause);
    return kFailures[index >= 0 && index < kFailureCauseCount ? index : kFailureCauseCount - 1];
}

// "64 MiB", "64 KiB": a limit as the programs' texts name it.
std::string SizeText(std::uint64_t bytes) {
    return bytes % (1u << 20) == 0 ? std::to_string(bytes >> 20) + " MiB"
                                   : std::to_string(bytes >> 10) + " KiB";
}

struct RoleCauses {
    FileRole role;
    FailureCause missing, readOnly, locked, unsafe, changed, tooLarge, other;
};

// clang-format off
constexpr RoleCauses kRoleCauses[] = {
    {FileRole::ListFile, FailureCause::ListFileMissing, FailureCause::ListFileReadOnly,
     FailureCause::ListFileLocked, FailureCause::ListFileUnsafe, FailureCause::ListFileUnsafe,
     FailureCause::ListFileTooLarge, FailureCause::ListFileUnreadable},
    {FileRole::ListSave, FailureCause::SaveFailed, FailureCause::ListFileReadOnly,
     FailureCause::ListFileLocked, FailureCause::SaveFailed, FailureCause::SaveFailed,
     FailureCause::SaveFailed, FailureCause::SaveFailed},
    {FileRole::FlagFile, FailureCause::FlagFileMissing, FailureCause::FlagFileReadOnly,
     FailureCause::FlagFileLocked, FailureCause::FlagFileUnsafe, FailureCause::FlagFileIo,
     FailureCause::FlagFileTooLarge, FailureCause::FlagFileIo},
    {FileRole::SlotProfile, FailureCause::ProfileRenameFailed, FailureCause::ProfileRenameFailed,
     FailureCause::ProfileFileLocked, FailureCause::ProfileFileUnsafe,
     FailureCause::ProfileRenameFailed, FailureCause::ProfileRenameFailed,
     FailureCause::ProfileRenameFailed},
    {FileRole::ProfileRemoval, FailureCause::ProfileRemoveFailed, FailureCause::ProfileRemoveFailed,
     FailureCause::ProfileFileLocked, FailureCause::ProfileRemoveFailed,
     FailureCause::ProfileRemoveFailed, FailureCause::ProfileRemoveFailed,
     FailureCause::ProfileRemoveFailed},
    {FileRole::KitFile, FailureCause::KitFileMissing, FailureCause::KitFileUnreadable,
     FailureCause::KitFileUnreadable, FailureCause::KitFileUnreadable,
     FailureCause::KitFileUnreadable, FailureCause::KitFileTooLarge,
     FailureCause::KitFileUnreadable},
    {FileRole::CopyTarget, FailureCause::CopyFailed, FailureCause::CopyFailed,
     FailureCause::CopyTargetLocked, FailureCause::CopyFailed, FailureCause::FileChanged,
     FailureCause::CopyFailed, FailureCause::CopyFailed},
};
// clang-format on

}  // namespace

const char* FailureCode(FailureCause cause) {
    return RowOf(cause).code;
}

bool IsBusy(FailureCause cause) {
    return RowOf(cause).busy;
}

const char* FailurePiece(FailureCause cause) {
    return RowOf(cause).piece;
}

std::string FailureMessageFormat(FailureCause cause, bool check) {
    const FailureRow& row = RowOf(cause);
    std::string message = row.message;
    for (const CheckSentence& sentence : kCheckSentences) {
        if (check && sentence.cause == cause) {
            message = sentence.message;
        }
    }
    const std::size_t mark = message.find(kLimitMark);
    if (mark != std::string::npos) {
        message.replace(mark, sizeof kLimitMark - 1, SizeText(row.limit));
    }
    return message;
}

std::string FailureMessage(FailureCause cause, const std::string& file, bool check) {
    std::string message = FailureMessageFormat(cause, check);
    const std::size_t mark = message.find(kFileMark);
    if (mark == std::string::npos) {
        return message;
    }
    if (file.empty()) {
        return message.erase(mark, sizeof kFileMark - 1);
    }
    // Only the "%s" between the brackets gives way to the path.
    const std::size_t open = std::string(kFileMark).find('%');
    return message.replace(mark + open, 2, platform::PathToUtf8(file));
}

FailureCause CauseOf(FileRole role, platform::FileStatus status) {
    using platform::FileStatus;
    if (status == FileStatus::OutOfMemory) {
        return FailureCause::OutOfMemory;
    }
    for (const RoleCauses& causes : kRoleCauses) {
        if (causes.role != role) {
            continue;
        }
        switch (status) {
            case FileStatus::Missing:
                return causes.missing;
            case FileStatus::ReadOnly:
                return causes.readOnly;
            case FileStatus::Locked:
                return causes.locked;
            case FileStatus::Unsafe:
                return causes.unsafe;
            case FileStatus::Changed:
                return causes.changed;
            case FileStatus::TooLarge:
                return causes.tooLarge;
            default:
                return causes.other;
        }
    }
    return FailureCause::Unexpected;
}
