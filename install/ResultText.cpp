#include "install/ResultText.h"

#include "platform/Platform.h"

namespace {

const char kCompleted[] = "ドライバ設定のインストールが完了しました。";
const char kFailedPrefix[] = "ドライバ設定のインストールでエラーが発生しました。(";

}  // namespace

std::string InstallResultText(int result) {
    if (result == 0) {
        return kCompleted;
    }
    return kFailedPrefix + std::to_string(result) + ")";
}

std::string InstallOutcomeText(int result, const InstallReport& report) {
    std::string text = InstallResultText(result);
    if (result != 0 && report.cause != FailureCause::None) {
        text += "\n\n" + FailureMessage(report.cause, report.failedFile);
    }
    for (const std::string& kept : KeptFileTexts(report)) {
        text += "\n\n" + kept;
    }
    return text;
}

std::vector<std::string> KeptFileTexts(const InstallReport& report) {
    std::vector<std::string> texts;
    for (const InstallStep& step : report.steps) {
        if (step.kind == StepKind::KeepFile) {
            texts.push_back("「" + platform::PathToUtf8(step.file) +
                            "」は配布ファイルより新しいため、残しました。配布ファイルに戻すには、"
                            "BrenwickCli install に --rollback を付けて実行してください。");
        }
    }
    return texts;
}

std::string DryRunResultText(const InstallReport& report) {
    const bool removal = report.purpose == PlanPurpose::Uninstall;
    const std::string result = std::to_string(report.Result());
    if (report.Result() != 0) {
        return removal ? "設定の削除はエラーで止まります。(" + result + ")"
                       : "ドライバ設定のインストールはエラーで止まります。(" + result + ")";
    }
    if (!report.Writes()) {
        return "変更はありません。";
    }
    return removal ? "設定を削除します。" : "ドライバ設定をインストールします。";
}

std::string UninstallResultText(const InstallReport& report) {
    if (report.Result() != 0) {
        return "設定の削除でエラーが発生しました。(" + std::to_string(report.Result()) + ")";
    }
    return report.action == SlotAction::Absent ? "削除する設定はありません。"
                                               : "設定を削除しました。";
}
