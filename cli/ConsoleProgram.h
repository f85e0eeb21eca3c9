#pragma once
// The console program from its arguments to its exit code, with its two output streams
// given by the caller (the console, or a test).

#include <functional>
#include <string>
#include <vector>

struct ConsoleOutput {
    std::function<void(const std::string& utf8)> out;  // steps, results, the JSON object
    std::function<void(const std::string& utf8)> err;  // warnings and command-line errors
};

// The arguments are those after the program's name, as the core holds paths.
int RunConsoleProgram(const std::vector<std::string>& arguments, const ConsoleOutput& console);
