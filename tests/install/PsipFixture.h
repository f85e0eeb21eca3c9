#pragma once
// A PaperStream IP settings folder with an empty flag file, and the kit, for the tests of its
// installation and removal.

#include <string>

#include "install/InstallFixture.h"
#include "support/FileBytes.h"

class PsipFixture : public InstallFixture {
protected:
    void SetUp() override {
        InstallFixture::SetUp();
        ShipKit();
        MakeFolder(PsipFolder());
        WriteBytes(InPsip("Id.bin"), std::string(1008, '\0'));
    }

    void WriteList(const std::string& text) { WriteBytes(InPsip("SettingInfo.ini"), text); }
    std::string List() { return ReadBytes(InPsip("SettingInfo.ini")); }
    unsigned char FlagByte(std::size_t offset) {
        return static_cast<unsigned char>(ReadBytes(InPsip("Id.bin")).at(offset));
    }
    std::string Entry(const std::string& key) { return key + "=" + kProfileName + "\r\n"; }
};
