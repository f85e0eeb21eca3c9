#include "install/FailureMessage.h"

#include "platform/Platform.h"

namespace {

// The file's place in a sentence.
const char kFileMark[] = "「%s」";

}  // namespace

const char* FailureMessageFormat(FailureCause cause) {
    switch (cause) {
        case FailureCause::None:
            return "";
        case FailureCause::SettingsFolderMissing:
            return "ドライバの設定フォルダ「%s」がないか、通常のフォルダではありません。"
                   "ドライバがインストールされているか確認してください。";
        case FailureCause::ListFileMissing:
            return "一覧ファイル「%s」がありません。"
                   "ドライバが正しくインストールされているか確認してください。";
        case FailureCause::ListFileReadOnly:
            return "一覧ファイル「%s」が読み取り専用です。"
                   "読み取り専用を解除してから、もう一度実行してください。";
        case FailureCause::ListFileLocked:
            return "一覧ファイル「%s」を他のプログラムが使用しています。"
                   "スキャナを使うアプリケーションを閉じてから、もう一度実行してください。";
        case FailureCause::ListFileUnsafe:
            return "一覧ファイル「%s」が通常のファイルではない(リンクなど)ため、"
                   "安全のため変更しませんでした。管理者に確認してください。";
        case FailureCause::ListFileUnreadable:
            return "一覧ファイル「%s」を読み込めませんでした。"
                   "ファイルを読み取れるか確認してから、もう一度実行してください。";
        case FailureCause::ListFileTooLarge:
            return "一覧ファイル「%s」が大きすぎるため(64 MB "
                   "を超えています)、読み込みませんでした。"
                   "ファイルの内容を確認してください。";
        case FailureCause::ListSectionMissing:
            return "一覧ファイル「%s」の登録欄に項目が一つもないため、登録できませんでした。"
                   "ドライバで一度設定を保存してから、もう一度実行してください。";
        case FailureCause::NoFreeSlot:
            return "一覧ファイル「%s」に空きがないため、登録できませんでした。"
                   "ドライバで不要な設定を削除してから、もう一度実行してください。";
        case FailureCause::SlotOutOfRange:
            return "一覧ファイル「%s」の番号が上限の999を超えるため、登録できませんでした。"
                   "ドライバで不要な設定を削除してから、もう一度実行してください。";
        case FailureCause::SlotKeyUnsafe:
            return "一覧ファイル「%s」の番号がファイル名に使えないか、ほかのファイルの名前と"
                   "紛らわしいため、登録できませんでした。一覧ファイルの内容を確認してください。";
        case FailureCause::KitFileMissing:
            return "配布ファイル「%s」がありません。"
                   "配布フォルダ一式をそろえてから、もう一度実行してください。";
        case FailureCause::KitFileUnreadable:
            return "配布ファイル「%s」を読み込めませんでした("
                   "通常のファイルでないか、読み取れません)。"
                   "配布フォルダ一式をそろえ直してから、もう一度実行してください。";
        case FailureCause::KitFileTooLarge:
            return "配布ファイル「%s」が大きすぎるため(64 MB "
                   "を超えています)、読み込みませんでした。"
                   "配布フォルダの内容を確認してください。";
        case FailureCause::ProfileRenameFailed:
            return "設定ファイル「%s」を置き換えられませんでした。読み取り専用でないか、"
                   "他のプログラムが使用していないか確認してから、もう一度実行してください。";
        case FailureCause::ProfileFileLocked:
            return "設定ファイル「%s」を他のプログラムが使用しています。"
                   "スキャナを使うアプリケーションを閉じてから、もう一度実行してください。";
        case FailureCause::CopyFailed:
            return "配布ファイルを「%s」にコピーできませんでした("
                   "読み取り専用、通常のファイルでない、"
                   "または書き込めません)。以降の配布ファイルはコピーしていません。"
                   "ファイルを確認してから、もう一度実行してください。";
        case FailureCause::CopyTargetLocked:
            return "「%"
                   "s」を他のプログラムが使用しているため、配布ファイルをコピーできませんでした。"
                   "スキャナを使うアプリケーションを閉じてから、もう一度実行してください。";
        case FailureCause::ProfileRemoveFailed:
            return "設定ファイル「%s」を削除できませんでした。"
                   "他のプログラムが使用していないか確認してから、もう一度実行してください。";
        case FailureCause::FlagFileMissing:
            return "管理ファイル「%s」がありません。"
                   "ドライバが正しくインストールされているか確認してください。";
        case FailureCause::FlagFileReadOnly:
            return "管理ファイル「%s」が読み取り専用です。"
                   "読み取り専用を解除してから、もう一度実行してください。";
        case FailureCause::FlagFileLocked:
            return "管理ファイル「%s」を他のプログラムが使用しています。"
                   "スキャナを使うアプリケーションを閉じてから、もう一度実行してください。";
        case FailureCause::FlagFileUnsafe:
            return "管理ファイル「%s」が通常のファイルではない(リンクなど)ため、"
                   "安全のため変更しませんでした。管理者に確認してください。";
        case FailureCause::FlagFileIo:
            return "管理ファイル「%s」を読み書きできませんでした。"
                   "ドライバのフォルダに書き込める利用者で、もう一度実行してください。";
        case FailureCause::FlagFileTooLarge:
            return "管理ファイル「%s」が大きすぎるため(64 KB "
                   "を超えています)、読み込みませんでした。"
                   "ドライバが正しくインストールされているか確認してください。";
        case FailureCause::SaveFailed:
            return "一覧ファイル「%"
                   "s」を保存できませんでした。スキャナを使うアプリケーションを閉じ、"
                   "ドライバのフォルダに書き込める利用者で、もう一度実行してください。";
        case FailureCause::FileChanged:
            return "「%s」が実行中に他のプログラムに変更されました。もう一度実行してください。";
        case FailureCause::TemplateMissing:
            return "テンプレートファイル「%s」がありません。"
                   "配布フォルダの Twain フォルダを確認してから、もう一度実行してください。";
        case FailureCause::OutOfMemory:
            return "メモリが不足しています。"
                   "ほかのアプリケーションを閉じてから、もう一度実行してください。";
        case FailureCause::Unexpected:
            break;
    }
    return "予期しないエラーが発生しました。もう一度実行してください。";
}

std::string FailureMessage(FailureCause cause, const std::string& file) {
    std::string message = FailureMessageFormat(cause);
    const std::size_t mark = message.find(kFileMark);
    if (mark != std::string::npos) {
        const std::size_t markSize = sizeof kFileMark - 1;
        if (file.empty()) {
            message.erase(mark, markSize);
        } else {
            // Only the "%s" between the brackets gives way to the path.
            const std::size_t open = std::string(kFileMark).find('%');
            message.replace(mark + open, 2, platform::PathToUtf8(file));
        }
    }
    return message;
}
