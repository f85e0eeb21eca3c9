// The one description of each failure and each kind of step.

#include "install/Failures.h"
#include "install/Steps.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace

TEST(VocabularyTest, EveryFailureHasItsOwnCodeAndNamesItsFileOnce) {
    std::set<std::string> codes;
    for (int index = 1; index < kFailureCauseCount; ++index) {
        const auto cause = static_cast<FailureCause>(index);
        SCOPED_TRACE(FailureCode(cause));
        EXPECT_TRUE(codes.insert(FailureCode(cause)).second) << "a code used twice";
        const std::string format = FailureMessageFormat(cause);
        const std::size_t marks = Count(format, kFileMark);
        EXPECT_LE(marks, 1u);
        EXPECT_EQ(Count(format, "%"), marks) << "a placeholder left in: " << format;
        // With a file its path stands once; without, the sentence does without the mention.
        EXPECT_EQ(Count(FailureMessage(cause, "C:\\x\\f.ini"), "「C:\\x\\f.ini」"), marks);
        EXPECT_EQ(Count(FailureMessage(cause, ""), "「"), 0u);
    }
    EXPECT_EQ(std::string(FailureCode(FailureCause::None)), "none");
    EXPECT_NE(FailureMessageFormat(FailureCause::ListFileTooLarge).find("64 MiB"),
              std::string::npos);
    EXPECT_NE(FailureMessageFormat(FailureCause::FlagFileTooLarge).find("64 KiB"),
              std::string::npos);
}

TEST(VocabularyTest, EveryStepHasItsOwnCode) {
    std::set<std::string> codes;
    for (int index = 0; index <= static_cast<int>(StepKind::SaveList); ++index) {
        const auto kind = static_cast<StepKind>(index);
        EXPECT_TRUE(codes.insert(StepCode(kind)).second) << StepCode(kind);
        EXPECT_FALSE(WritesFile(kind) && EditsList(kind)) << StepCode(kind);
    }
}
