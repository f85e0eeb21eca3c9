#pragma once
// One record of the console program's log: when, where, who, with which command line, each
// step and the result, and last the exit code. UTF-8; each record is appended in one piece.

#include <string>
#include <vector>

struct RunLogHeader {
    std::string startTime;  // with its UTC offset
    std::string computer;
    std::string user;
    std::vector<std::string> arguments;  // UTF-8
};

// An argument as a command line would need it: quoted when it is empty or holds a blank or
// a quote (a quote inside, and backslashes before a quote, escaped as Windows reads them).
std::string QuoteArgument(const std::string& argument);

std::string RunLogRecord(const RunLogHeader& header, const std::vector<std::string>& lines,
                         int exitCode);
