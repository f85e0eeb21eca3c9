#include "cli/ConsoleProgram.h"

#include "app/Version.h"
#include "cli/CliRun.h"
#include "cli/CommandLine.h"
#include "cli/OutcomeJson.h"
#include "cli/OutcomeText.h"
#include "cli/RunLog.h"
#include "platform/Platform.h"

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

}  // namespace

int RunConsoleProgram(const std::vector<std::string>& arguments, const ConsoleOutput& console) {
    CliOptions options;
    std::string error;
    if (!ParseCommandLine(arguments, options, error)) {
        console.err(error + "\n\n" + UsageText());
        return kExitUsage;
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
    if (!options.logPath.empty() && !log.Open(options.logPath)) {
        console.err("ログファイルを開けません: " + platform::PathToUtf8(options.logPath) + "\n");
        return kExitUsage;
    }
    const RunOutcome run = RunCommand(
        options, [&](const std::string& warning) { console.err("警告: " + warning + "\n"); });
    console.out(options.json ? OutcomeJson(run) : Joined(OutcomeLines(run, false)));
    if (!options.logPath.empty() &&
        !log.Append(RunLogRecord(header, OutcomeLines(run, true), run.exitCode))) {
        console.err("ログファイルに書き込めません: " + platform::PathToUtf8(options.logPath) +
                    "\n");
    }
    return run.exitCode;
}
