// The console program's JSON strings.

#include "cli/OutcomeJson.h"

#include <gtest/gtest.h>

TEST(OutcomeJsonTest, JsonStringsEscapeAndNeverCarryBrokenUtf8) {
    EXPECT_EQ(JsonString("C:\\\"x\"\n\x01"), "\"C:\\\\\\\"x\\\"\\u000a\\u0001\"");
    // ASCII only: the same bytes read alike in every code page.
    EXPECT_EQ(JsonString("通帳"), "\"\\u901a\\u5e33\"");
    EXPECT_EQ(JsonString("\xF0\x9F\x93\x96~\x7F"), "\"\\ud83d\\udcd6~\\u007f\"");
    EXPECT_EQ(JsonString("\x92\xCA"), "\"\\ufffd\\ufffd\"");  // code page 932 bytes
    EXPECT_EQ(JsonString("\xE9\x80"), "\"\\ufffd\\ufffd\"");  // cut short
    EXPECT_EQ(JsonString("\xC0\xAF"), "\"\\ufffd\\ufffd\"");  // overlong '/'
}
