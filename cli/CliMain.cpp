// BrenwickCli: the console companion of Brenwick.exe for deployment systems. It installs or
// checks the passbook settings without a window, says through its exit code whether it
// worked, and can append a record of each run to a log.

#include "cli/CliRun.h"
#include "cli/ConsoleProgram.h"
#include "platform/Platform.h"

int main(int argc, char** argv) {
    platform::HardenProcess();
    const auto writer = [](platform::Stream stream) {
        return [stream](const std::string& utf8) { platform::WriteText(stream, utf8); };
    };
    const ConsoleOutput console{writer(platform::Stream::Output), writer(platform::Stream::Error)};
    try {
        return RunConsoleProgram(platform::ProgramArguments(argc, argv), console);
    } catch (...) {
        console.err("予期しないエラーが発生しました。\n");
        return kExitFailed;
    }
}
