#include "cli/OutcomeText.h"

#include "app/InstallCommand.h"
#include "install/FailureMessage.h"
#include "platform/Platform.h"

namespace {

std::string Label(Driver driver) {
    return driver == Driver::Psip ? "[PaperStream IP] " : "[fiシリーズ TWAIN] ";
}

std::string Path(const std::string& path) {
    return platform::PathToUtf8(path);
}

std::string StepText(const InstallStep& step) {
    switch (step.kind) {
        case StepKind::CopyFile:
            return "コピー: " + Path(step.file);
        case StepKind::KeepFile:
            return "より新しいファイルを残す: " + Path(step.file);
        case StepKind::ReuseEntry:
            return "登録済みのエントリを使う: " + step.key + " (" + Path(step.file) + ")";
        case StepKind::FillEntry:
            return "空きエントリに登録: " + step.key + " (" + Path(step.file) + ")";
        case StepKind::AppendEntry:
            return "エントリを追加: " + step.key + " (" + Path(step.file) + ")";
        case StepKind::PlaceProfile:
            return "プロファイルを配置: " + Path(step.file);
        case StepKind::RaiseFlag:
            return "フラグを立てる: スロット " + std::to_string(step.slot) + " (" +
                   Path(step.file) + ")";
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
        lines.push_back(label + "エントリ: " + driver.key +
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

void AddInstallLines(const RunOutcome& run, const DriverOutcome& driver,
                     std::vector<std::string>& lines) {
    const std::string label = Label(driver.driver);
    for (const InstallStep& step : driver.steps) {
        lines.push_back(label + (run.dryRun ? "(予定) " : "") + StepText(step));
    }
    lines.push_back(label + (run.dryRun ? "ドライラン (何も変更していません): " : "") +
                    platform::TextToUtf8(InstallResultText(driver.result)));
}

}  // namespace

std::string FailureMessageUtf8(FailureCause cause, const std::string& file) {
    // The path is put in after the conversion: on POSIX it is no code page 932 text.
    const std::string marker = "\x01";
    std::string message = platform::TextToUtf8(FailureMessage(cause, file.empty() ? "" : marker));
    const std::size_t at = message.find(marker);
    if (at != std::string::npos) {
        message.replace(at, marker.size(), Path(file));
    }
    return message;
}

std::vector<std::string> OutcomeLines(const RunOutcome& run, bool warnings) {
    std::vector<std::string> lines;
    if (run.exitCode == kExitNoDriver) {
        lines.push_back("ドライバの設定フォルダが見つかりません。何も変更していません。");
        return lines;
    }
    for (const DriverOutcome& driver : run.drivers) {
        const std::string label = Label(driver.driver);
        if (warnings) {
            for (const std::string& warning : driver.warnings) {
                lines.push_back(label + "警告: " + platform::TextToUtf8(warning));
            }
        }
        if (!driver.settingsFolder.empty()) {
            lines.push_back(label + "設定フォルダ: " + Path(driver.settingsFolder));
        }
        if (run.command == CliCommand::Check) {
            AddCheckLines(driver, lines);
        } else {
            AddInstallLines(run, driver, lines);
        }
        if (driver.cause != FailureCause::None) {
            lines.push_back(label + FailureMessageUtf8(driver.cause, driver.failedFile) + " [" +
                            FailureCode(driver.cause) + "]");
        }
    }
    return lines;
}
