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

// A command line not understood: nothing is done, exit code 2.
int RefuseCommandLine(const ConsoleOutput& console, bool json, const RunLogHeader& header,
                      const std::string& message) {
    RunOutcome run;
    run.computer = header.computer;
    run.time = header.startTime;
    run.commandKnown = false;
    run.exitCode = kExitUsage;
    run.errorCode = "usage";
    run.errorMessage = message;
    console.err(message + "\n");
    if (json) {
        console.out(OutcomeJson(run));
    }
    return kExitUsage;
}

// Why the log cannot be used: it costs its record, and nothing else.
std::string LogOpenWarning(platform::FileStatus status, const std::string& path) {
    const std::string file = "ログファイル「" + platform::PathToUtf8(path) + "」";
    return file +
           (status == platform::FileStatus::Unsafe
                ? "が通常のファイルでないか、管理者以外の利用者のものであるため、使いません。"
                  "管理者だけが書き込めるフォルダのログファイルを指定してください。"
            : status == platform::FileStatus::Locked
                ? "を他のプログラムが使用しているため、使えません。"
                : "を開けないため、使えません。") +
           "この実行の記録は残りません。";
}

std::string LogAppendWarning(platform::FileStatus status, const std::string& path) {
    const std::string file = "ログファイル「" + platform::PathToUtf8(path) + "」";
    return status == platform::FileStatus::Locked
               ? file + "を他のプログラムが使い続けているため、記録を書き込みませんでした。"
               : file + "に書き込めなかったため、記録は残りません。";
}

}  // namespace

int RunConsoleProgram(const std::vector<std::string>& arguments, const ConsoleOutput& console) {
    CliOptions options;
    std::string error;
    // A script that asked for JSON gets its one object even from a line not understood.
    const bool json = std::find(arguments.begin(), arguments.end(), "--json") != arguments.end();
    // One reading of where and when, for the log record and the JSON alike.
    const RunLogHeader header = LogHeader(arguments);
    if (!ParseCommandLine(arguments, options, error)) {
        console.err(UsageText() + "\n");
        return RefuseCommandLine(console, json, header, error);
    }
    if (options.command == CliCommand::Help || options.command == CliCommand::Version) {
        console.out(options.command == CliCommand::Help ? UsageText()
                                                        : "BrenwickCli " BRENWICK_VERSION_TEXT
                                                          "\n");
        return kExitInstalled;
    }

    // The log is best effort: one that cannot be used costs its record, never the run.
    const Warning warn = [&](const std::string& warning) {
        console.err(PrintableText("警告: " + warning) + "\n");
    };
    platform::AppendFile log;
    std::vector<std::string> logWarnings;
    const platform::FileStatus opened =
        options.logPath.empty() ? platform::FileStatus::Missing : log.Open(options.logPath);
    if (!options.logPath.empty() && opened != platform::FileStatus::Ok) {
        logWarnings.push_back(LogOpenWarning(opened, options.logPath));
        warn(logWarnings.back());
    }
    RunOutcome run = RunCommand(options, warn);
    run.computer = header.computer;
    run.time = header.startTime;
    // The record first: what the run did is kept whatever becomes of the output.
    if (opened == platform::FileStatus::Ok) {
        const platform::FileStatus appended =
            log.Append(RunLogRecord(header, run.kit, OutcomeLines(run, true), run.exitCode));
        if (appended != platform::FileStatus::Ok) {
            logWarnings.push_back(LogAppendWarning(appended, options.logPath));
            warn(logWarnings.back());
        }
    }
    run.warnings = std::move(logWarnings);
    console.out(options.json ? OutcomeJson(run) : Joined(OutcomeLines(run, false)));
    return run.exitCode;
}
