#include "app/InstallCommand.h"

#include "install/FailureMessage.h"
#include "install/PsipSettings.h"
#include "install/TwainSettings.h"

namespace {

// "ドライバ設定のインストールが完了しました。"
const char kCompleted[] =
    "\x83h\x83\x89\x83"
    "C\x83o\x90\xDD\x92\xE8\x82\xCC\x83"
    "C\x83\x93\x83X\x83g\x81[\x83\x8B"
    "\x82\xAA\x8A\xAE\x97\xB9\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81"
    "B";
// "ドライバ設定のインストールでエラーが発生しました。(" ... ")"
const char kFailedPrefix[] =
    "\x83h\x83\x89\x83"
    "C\x83o\x90\xDD\x92\xE8\x82\xCC\x83"
    "C\x83\x93\x83X\x83g\x81[\x83\x8B"
    "\x82\xC5\x83G\x83\x89\x81[\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81"
    "B(";

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
