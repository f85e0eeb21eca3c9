#pragma once
// Driver folders, a kit and the console program run in this process, for the tests of the
// console program.

#include <algorithm>
#include <string>
#include <vector>

#include "cli/ConsoleProgram.h"
#include "install/InstallFixture.h"
#include "platform/Platform.h"
#include "support/FileBytes.h"

class ConsoleFixture : public InstallFixture {
protected:
    void SetUp() override {
        InstallFixture::SetUp();
        ShipKit();
        MakeFolder(PsipFolder());
        WriteBytes(InPsip("SettingInfo.ini"), "[Informations]\r\n000001=Color\r\n000002=\r\n");
        WriteBytes(InPsip("Id.bin"), std::string(1008, '\0'));
        MakeFolder(TwainFolder());
        WriteBytes(platform::JoinPath(TwainFolder(), "FTSLISTS.INI"), "[TemplateLists]\r\n01=\r\n");
    }

    // Runs the program with the kit of the fixture; the output lands in `out` and `err`.
    int Run(std::vector<std::string> arguments) {
        const bool ownSource =
            std::find(arguments.begin(), arguments.end(), "--source") != arguments.end();
        if (arguments.size() > 1 && arguments[0].rfind("--", 0) != 0 && !ownSource) {
            arguments.insert(arguments.end(), {"--source", temp.Join({"kit"})});
        }
        out.clear();
        err.clear();
        return RunConsoleProgram(arguments,
                                 ConsoleOutput{[&](const std::string& text) { out += text; },
                                               [&](const std::string& text) { err += text; }});
    }
    bool Says(const std::string& text) const { return out.find(text) != std::string::npos; }
    bool IsAscii() const {
        for (const char ch : out) {
            if (static_cast<unsigned char>(ch) >= 0x80) {
                return false;
            }
        }
        return true;
    }

    // The JSON of a run as its dry run would have said it: no step done, nothing said of after.
    static std::string AsPredicted(std::string json) {
        for (std::size_t at; (at = json.find("\"done\":true")) != std::string::npos;) {
            json.replace(at, 11, "\"done\":false");
        }
        for (const char* field : {"\"time\":", "\"dryRun\":", "\"installed\":"}) {
            for (std::size_t at; (at = json.find(field)) != std::string::npos;) {
                json.erase(at, json.find(',', at) - at + 1);
            }
        }
        return json;
    }

    std::string out, err;
};
