#include "install/InstallFixture.h"

#include "platform/Platform.h"
#include "platform/TestSeam.h"
#include "support/FileBytes.h"

const std::string kProfileName = "\x92\xCA\x92\xA0\x83}\x83\x8B\x83`";
const std::string kTwainFolderMissing =
    "PFU\x90\xDD\x92\xE8\x83"
    "f\x83"
    "B\x83\x8C\x83N\x83g\x83\x8A\x82\xAA\x82\xA0\x82\xE8\x82"
    "\xDC\x82\xB9\x82\xF1\x81I";
const std::string kPsipFolderMissing =
    "PFU\x90\xDD\x92\xE8\x83"
    "f\x83"
    "B\x83\x8C\x83N\x83g\x83\x8A(7X)\x82\xAA\x82\xA0\x82\xE8"
    "\x82\xDC\x82\xB9\x82\xF1\x81I";

void InstallFixture::SetUp() {
#ifndef _WIN32
    commonAppData = temp.Join({"ProgramData"});
    MakeFolder(commonAppData);
    SetEnvironment("ProgramData", commonAppData);
#else
    ASSERT_TRUE(platform::GetCommonAppDataFolder(commonAppData));
    RemoveTree(platform::JoinPath(commonAppData, "Fujitsu"));
#endif
    windowsFolder = temp.Join({"Windows"});
    MakeFolder(windowsFolder);
    SetEnvironment("windir", windowsFolder);
    psipSource = temp.Join({"kit", "PSIP"});
    twainSource = temp.Join({"kit", "Twain"});
    platform::RecordMessageBoxes(true);
}

void InstallFixture::TearDown() {
    platform::ClearFailures();
    platform::TakeRecordedMessageBoxes();
    platform::RecordMessageBoxes(false);
#ifdef _WIN32
    RemoveTree(platform::JoinPath(commonAppData, "Fujitsu"));
#endif
}

std::string InstallFixture::PsipFolder() const {
    return platform::JoinPath(
        platform::JoinPath(platform::JoinPath(commonAppData, "Fujitsu"), "iCube"), "FTS");
}

std::string InstallFixture::TwainFolder() const {
    return platform::JoinPath(
        platform::JoinPath(platform::JoinPath(commonAppData, "Fujitsu"), "Fjtwain"), "FTS");
}

std::string InstallFixture::FallbackTwainFolder() const {
    return platform::JoinPath(platform::JoinPath(windowsFolder, "twain_32"), "fjscan32");
}

std::string InstallFixture::InPsip(const char* name) const {
    return platform::JoinPath(PsipFolder(), name);
}

void InstallFixture::ShipKit() {
    MakeFolder(psipSource);
    MakeFolder(twainSource);
    WriteBytes(platform::JoinPath(psipSource, "FTS_EX_BKBOOK.xml"), "<profile>shipped</profile>");
    WriteBytes(platform::JoinPath(twainSource, "bkbook_multi.fts"), "template");
}

std::vector<std::string> InstallFixture::TakeBoxes() {
    return platform::TakeRecordedMessageBoxes();
}
