#include "app/InstallCommand.h"

#include "install/FailureMessage.h"
#include "install/PsipSettings.h"
#include "install/TwainSettings.h"

namespace {

const char kCompleted[] = "ドライバ設定のインストールが完了しました。";
const char kFailedPrefix[] = "ドライバ設定のインストールでエラーが発生しました。(";

}  // namespace

int InstallSelectedDriver(int choice, const std::string& psipSource,
                          const std::string& twainSource) {
    InstallReport report;
    return InstallSelectedDriver(choice, psipSource, twainSource, InstallOptions{}, report);
}

int InstallSelectedDriver(int choice, const std::string& psipSource, const std::string& twainSource,
                          const InstallOptions& options, InstallReport& report) {
    return choice == 0 ? InstallPsipSettings(psipSource, options, report)
                       : InstallTwainSettings(twainSource, options, report);
}

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
    return text;
}
