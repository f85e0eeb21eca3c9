#include "cli/OutcomeText.h"

#include "cli/PrintableText.h"
#include "install/ResultText.h"
#include "platform/Platform.h"
#include "res/Version.h"

namespace {

std::string Label(const DriverOutcome& driver) {
    return "[" + std::string(driver.driver->label) + "] ";
}

std::string FlagText(int flag) {
    static const char kHex[] = "0123456789ABCDEF";
    return std::string("0x") + kHex[(flag >> 4) & 0xF] + kHex[flag & 0xF];
}

// Which file holds what is installed, and whether it is this kit's.
std::string InventoryText(const InstallReport::Inventory& inventory) {
    if (inventory.file.empty()) {
        return std::string();
    }
    const std::string file = "、" + platform::PathToUtf8(inventory.file);
    if (inventory.sha256.empty()) {
        return file + " (読み取れません)";
    }
    const char* kit = inventory.kitSha256.empty() ? "配布ファイルと比べられません"
                      : inventory.sha256 == inventory.kitSha256 ? "配布ファイルと同じ"
                                                                : "配布ファイルと異なる";
    return file + " SHA-256 " + inventory.sha256 + " (" + kit + ")、BrenwickCli " +
           BRENWICK_VERSION_TEXT;
}

void AddCheckLines(const DriverOutcome& driver, std::vector<std::string>& lines) {
    const std::string label = Label(driver);
    const InstallReport& report = driver.report;
    if (!report.key.empty()) {
        lines.push_back(label + "エントリ: " + platform::TextToUtf8(report.key) +
                        (report.flag >= 0 ? " (フラグ " + FlagText(report.flag) + ")" : "") +
                        InventoryText(report.inventory));
    }
    if (report.Installed()) {
        lines.push_back(label + "インストール済みです。");
        return;
    }
    if (IsBusy(report.cause)) {
        lines.push_back(label +
                        "ほかのプログラムがファイルを使用しているため、確かめられませんでした。");
        return;
    }
    std::string missing;
    for (const std::string& piece : report.MissingPieces()) {
        missing += (missing.empty() ? "" : ", ") + piece;
    }
    lines.push_back(label + "インストールされていません。" +
                    (missing.empty() ? "" : "(不足: " + missing + ")"));
}

// A real run lists what it did; a dry run what it would do.
void AddRunLines(const RunOutcome& run, const DriverOutcome& driver,
                 std::vector<std::string>& lines) {
    const std::string label = Label(driver);
    const InstallReport& report = driver.report;
    for (const InstallStep& step : report.steps) {
        if (run.dryRun || step.done) {
            lines.push_back(label + (run.dryRun ? "(予定) " : "") + StepText(step));
        }
    }
    const std::string result =
        run.dryRun ? "ドライラン (何も変更していません): " + DryRunResultText(report)
        : report.purpose == PlanPurpose::Uninstall ? UninstallResultText(report)
                                                   : InstallResultText(report.Result());
    lines.push_back(label + result);
    for (const std::string& kept : KeptFileTexts(report)) {
        lines.push_back(label + kept);
    }
}

std::vector<std::string> Lines(const RunOutcome& run, bool warnings) {
    std::vector<std::string> lines;
    if (!run.errorMessage.empty()) {
        lines.push_back(run.errorMessage);
        return lines;
    }
    for (const DriverOutcome& driver : run.drivers) {
        const std::string label = Label(driver);
        const InstallReport& report = driver.report;
        if (warnings) {
            for (const std::string& warning : report.warnings) {
                lines.push_back(label + "警告: " + warning);
            }
        }
        if (!report.settingsFolder.empty()) {
            lines.push_back(label + "設定フォルダ: " + platform::PathToUtf8(report.settingsFolder));
        }
        if (report.purpose == PlanPurpose::Check) {
            AddCheckLines(driver, lines);
        } else {
            AddRunLines(run, driver, lines);
        }
        if (report.cause != FailureCause::None) {
            lines.push_back(label +
                            FailureMessage(report.cause, report.failedFile,
                                           report.purpose == PlanPurpose::Check) +
                            " [" + FailureCode(report.cause) + "]");
        }
    }
    return lines;
}

}  // namespace

std::vector<std::string> OutcomeLines(const RunOutcome& run, bool warnings) {
    std::vector<std::string> lines = Lines(run, warnings);
    for (std::string& line : lines) {
        line = PrintableText(line);
    }
    return lines;
}
