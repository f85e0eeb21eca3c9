#include "cli/RunLog.h"

#include "cli/PrintableText.h"
#include "res/Version.h"

std::string QuoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char ch : argument) {
        if (ch == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are doubled only before a quote, which itself is escaped.
        quoted.append(ch == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += ch;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

std::string KitIdentityText(const std::vector<RunOutcome::KitHash>& kit) {
    std::string text;
    for (const RunOutcome::KitHash& hash : kit) {
        text += (text.empty() ? "" : ", ") + std::string(hash.driver->code) + " " +
                (hash.sha256.empty() ? "none" : hash.sha256);
    }
    return text.empty() ? "none" : text;
}

std::string RunLogRecord(const RunLogHeader& header, const std::vector<RunOutcome::KitHash>& kit,
                         const std::vector<std::string>& lines, int exitCode) {
    std::string commandLine;
    for (const std::string& argument : header.arguments) {
        commandLine += (commandLine.empty() ? "" : " ") + PrintableText(QuoteArgument(argument));
    }
    std::string record = "=== " + header.startTime + " " + PrintableText(header.computer) + " " +
                         PrintableText(header.user) + "\nschemaVersion " +
                         std::to_string(kSchemaVersion) +
                         ", BrenwickCli " BRENWICK_VERSION_TEXT "\nkit: " + KitIdentityText(kit) +
                         "\ncommand line: " + commandLine + "\n";
    for (const std::string& line : lines) {
        record += line + "\n";
    }
    return record + "exit code " + std::to_string(exitCode) + "\n";
}
