#include "cli/ConsoleProgram.h"

#include <algorithm>

#include "cli/CliRun.h"
#include "cli/CommandLine.h"
#include "cli/OutcomeJson.h"
#include "cli/OutcomeText.h"
#include "cli/PrintableText.h"
#include "cli/RunLog.h"
#include "platform/Platform.h"
#include "res/Version.h"

namespace {

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

RunLogHeader LogHeader(const std::vector<std::string>& arguments) {
    RunLogHeader header{
        platform::LocalTimeText(), platform::ComputerName(), platform::UserName(), {}};
    for (const std::string& argument : arguments) {
        header.arguments.push_back(platform::PathToUtf8(argument));
    }
    return header;
}

// A run that did nothing at all, and why: exit code 2.
int RefuseRun(const ConsoleOutput& console, bool json, RunOutcome run, const char* code,
              const std::string& message) {
    run.exitCode = kExitUsage;
    run.errorCode = code;
    run.errorMessage = message;
    console.err(message + "\n");
    if (json) {
        console.out(OutcomeJson(run));
    }
    return kExitUsage;
}

std::string LogFileMessage(platform::FileStatus status, const std::string& path) {
    const std::string file = "「" + platform::PathToUtf8(path) + "」";
    return status == platform::FileStatus::Unsafe
               ? "ログファイル" + file +
                     "が通常のファイルでないか、管理者以外の利用者のものであるため、使いません。"
                     "管理者だけが書き込めるフォルダのログファイルを指定してください。"
               : "ログファイル" + file + "を開けません。";
}

void AppendToLog(platform::AppendFile& log, const std::string& record, const std::string& path,
                 const ConsoleOutput& console) {
    const platform::FileStatus status = log.Append(record);
    if (status == platform::FileStatus::Locked) {
        console.err("警告: ログファイル「" + platform::PathToUtf8(path) +
                    "」を他のプログラムが使い続けているため、記録を書き込みませんでした。\n");
    } else if (status != platform::FileStatus::Ok) {
        console.err("警告: ログファイル「" + platform::PathToUtf8(path) +
                    "」に書き込めませんでした。\n");
    }
}

}  // namespace

int RunConsoleProgram(const std::vector<std::string>& arguments, const ConsoleOutput& console) {
    CliOptions options;
    std::string error;
    // A script that asked for JSON gets its one object even from a line not understood.
    const bool json = std::find(arguments.begin(), arguments.end(), "--json") != arguments.end();
    if (!ParseCommandLine(arguments, options, error)) {
        RunOutcome refused;
        refused.commandKnown = false;
        console.err(UsageText() + "\n");
        return RefuseRun(console, json, refused, "usage", error);
    }
    if (options.command == CliCommand::Help || options.command == CliCommand::Version) {
        console.out(options.command == CliCommand::Help ? UsageText()
                                                        : "BrenwickCli " BRENWICK_VERSION_TEXT
                                                          "\n");
        return kExitInstalled;
    }

    // The log is opened before anything is done: a run that cannot be logged does nothing.
    const RunLogHeader header = LogHeader(arguments);
    platform::AppendFile log;
    if (!options.logPath.empty()) {
        const platform::FileStatus opened = log.Open(options.logPath);
        if (opened != platform::FileStatus::Ok) {
            RunOutcome refused;
            refused.command = options.command;
            refused.dryRun = options.dryRun;
            return RefuseRun(
                console, json, refused,
                opened == platform::FileStatus::Unsafe ? "log-file-unsafe" : "log-file-unusable",
                LogFileMessage(opened, options.logPath));
        }
    }
    const RunOutcome run = RunCommand(options, [&](const std::string& warning) {
        console.err(PrintableText("警告: " + warning) + "\n");
    });
    // The record first: what the run did is kept whatever becomes of the output.
    if (!options.logPath.empty()) {
        AppendToLog(log, RunLogRecord(header, OutcomeLines(run, true), run.exitCode),
                    options.logPath, console);
    }
    console.out(options.json ? OutcomeJson(run) : Joined(OutcomeLines(run, false)));
    return run.exitCode;
}
