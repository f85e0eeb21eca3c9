#pragma once
// Driver folders and a kit on disk for installer tests. On POSIX the common application-data
// folder is a temporary one (through "ProgramData"); on Windows it is the system's own, and
// the driver folders made in it are removed afterwards.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TempFolder.h"

class InstallFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string PsipFolder() const;
    std::string TwainFolder() const;
    std::string FallbackTwainFolder() const;
    std::string InPsip(const char* name) const;

    // The kit beside the executable: PSIP/ with the shipped profile, Twain/ with a template.
    void ShipKit();
    std::vector<std::string> TakeBoxes();

    TempFolder temp;
    std::string commonAppData;
    std::string windowsFolder;
    std::string psipSource;
    std::string twainSource;
};

// "通帳マルチ" in code page 932.
extern const std::string kProfileName;
// The warnings of the two installers.
extern const std::string kTwainFolderMissing;
extern const std::string kPsipFolderMissing;
