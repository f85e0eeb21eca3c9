#include "cli/OutcomeText.h"

#include "app/InstallCommand.h"
#include "cli/PrintableText.h"
#include "install/FailureMessage.h"
#include "platform/Platform.h"

namespace {

std::string Label(Driver driver) {
    return driver == Driver::Psip ? "[PaperStream IP] " : "[fiシリーズ TWAIN] ";
}

std::string Path(const std::string& path) {
    return platform::PathToUtf8(path);
}

std::string Key(const std::string& key) {
    return platform::TextToUtf8(key);
}

std::string EntryText(const char* what, const InstallStep& step) {
    return std::string(what) + ": " + Key(step.key) + " (" + Path(step.file) + ")";
}

std::string SlotText(const char* what, const InstallStep& step) {
    return std::string(what) + ": スロット " + std::to_string(step.slot) + " (" + Path(step.file) +
           ")";
}

std::string StepText(const InstallStep& step) {
    switch (step.kind) {
        case StepKind::CopyFile:
            return "コピー: " + Path(step.file);
        case StepKind::KeepFile:
            return "より新しいファイルを残す: " + Path(step.file);
        case StepKind::ReuseEntry:
            return EntryText("登録済みのエントリを使う", step);
        case StepKind::FillEntry:
            return EntryText("空きエントリに登録", step);
        case StepKind::AppendEntry:
            return EntryText("エントリを追加", step);
        case StepKind::PlaceProfile:
            return "プロファイルを配置: " + Path(step.file);
        case StepKind::RemoveShipped:
            return "配布時の名前のプロファイルを削除: " + Path(step.file);
        case StepKind::RaiseFlag:
            return SlotText("フラグを立てる", step);
        case StepKind::RemoveProfile:
            return "プロファイルを削除: " + Path(step.file);
        case StepKind::KeepProfile:
            return "配布ファイルと異なるプロファイルを残す: " + Path(step.file);
        case StepKind::LowerFlag:
            return SlotText("フラグを下げる", step);
        case StepKind::EmptyEntry:
            return EntryText("エントリを空きに戻す", step);
        case StepKind::RemoveEntry:
            return EntryText("エントリを削除", step);
        case StepKind::SaveList:
            break;
    }
    return "一覧ファイルを保存: " + Path(step.file);
}

std::string FlagText(int flag) {
    static const char kHex[] = "0123456789ABCDEF";
    return std::string("0x") + kHex[(flag >> 4) & 0xF] + kHex[flag & 0xF];
}

void AddCheckLines(const DriverOutcome& driver, std::vector<std::string>& lines) {
    const std::string label = Label(driver.driver);
    if (!driver.key.empty()) {
        lines.push_back(label + "エントリ: " + Key(driver.key) +
                        (driver.flag >= 0 ? " (フラグ " + FlagText(driver.flag) + ")" : ""));
    }
    if (driver.installed) {
        lines.push_back(label + "インストール済みです。");
        return;
    }
    std::string missing;
    for (const std::string& piece : driver.missing) {
        missing += (missing.empty() ? "" : ", ") + piece;
    }
    lines.push_back(label + "インストールされていません。" +
                    (missing.empty() ? "" : "(不足: " + missing + ")"));
}

std::string UninstallResultText(const DriverOutcome& driver) {
    if (driver.result != 0) {
        return "設定の削除でエラーが発生しました。(" + std::to_string(driver.result) + ")";
    }
    return driver.action == SlotAction::Absent ? "削除する設定はありません。"
                                               : "設定を削除しました。";
}

// A real run lists what it did; a dry run what it would do.
void AddRunLines(const RunOutcome& run, const DriverOutcome& driver,
                 std::vector<std::string>& lines) {
    const std::string label = Label(driver.driver);
    for (const InstallStep& step : driver.steps) {
        if (run.dryRun || step.done) {
            lines.push_back(label + (run.dryRun ? "(予定) " : "") + StepText(step));
        }
    }
    const std::string result = run.command == CliCommand::Uninstall
                                   ? UninstallResultText(driver)
                                   : InstallResultText(driver.result);
    lines.push_back(label + (run.dryRun ? "ドライラン (何も変更していません): " : "") + result);
}

std::vector<std::string> Lines(const RunOutcome& run, bool warnings) {
    std::vector<std::string> lines;
    if (run.exitCode == kExitNoDriver) {
        lines.push_back("ドライバの設定フォルダが見つかりません。何も変更していません。");
        return lines;
    }
    for (const DriverOutcome& driver : run.drivers) {
        const std::string label = Label(driver.driver);
        if (warnings) {
            for (const std::string& warning : driver.warnings) {
                lines.push_back(label + "警告: " + warning);
            }
        }
        if (!driver.settingsFolder.empty()) {
            lines.push_back(label + "設定フォルダ: " + Path(driver.settingsFolder));
        }
        if (run.command == CliCommand::Check) {
            AddCheckLines(driver, lines);
        } else {
            AddRunLines(run, driver, lines);
        }
        if (driver.cause != FailureCause::None) {
            lines.push_back(label + FailureMessage(driver.cause, driver.failedFile) + " [" +
                            FailureCode(driver.cause) + "]");
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
