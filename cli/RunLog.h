#pragma once
// One record of the console program's log: when, where, who, the layout's version and the
// kit's identity, with which command line, each step and the result, and last the exit code.
// UTF-8; each record is appended in one piece.

#include <string>
#include <vector>

#include "cli/CliRun.h"

struct RunLogHeader {
    std::string startTime;  // with its UTC offset
    std::string computer;
    std::string user;
    std::vector<std::string> arguments;  // UTF-8
};

// An argument as a command line would need it: quoted when it is empty or holds a blank or
// a quote (a quote inside, and backslashes before a quote, escaped as Windows reads them).
std::string QuoteArgument(const std::string& argument);

// "psip <SHA-256>, twain <SHA-256>", "none" for a kit file that could not be read.
std::string KitIdentityText(const std::vector<RunOutcome::KitHash>& kit);

std::string RunLogRecord(const RunLogHeader& header, const std::vector<RunOutcome::KitHash>& kit,
                         const std::vector<std::string>& lines, int exitCode);
