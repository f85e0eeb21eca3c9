#include "text/Cp932.h"

#include <gtest/gtest.h>

namespace {

// 表 ends in 0x5C ('\\'); ー (0x815B) and ＝ (0x815D)... and ア (0x8341) / ャ (0x8361) differ
// only by what would be ASCII letter case in their trail byte.
const std::string kTable = "\x95\x5C";
const std::string kLongBar = "\x81\x5B";
const std::string kCloseBracketTrail = "\x81\x5D";
const std::string kKatakanaA = "\x83\x41";
const std::string kKatakanaSmallYa = "\x83\x61";

}  // namespace

TEST(Cp932Test, TrailBytesAreNeverFoundAsAsciiCharacters) {
    EXPECT_EQ(cp932::FindChar(kLongBar + kCloseBracketTrail, '['), std::string::npos);
    EXPECT_EQ(cp932::FindChar(kLongBar + kCloseBracketTrail, ']'), std::string::npos);
    EXPECT_EQ(cp932::FindChar(kLongBar + "[", '['), 2u);
    EXPECT_EQ(cp932::FindLastOf(kTable + "a", '\\', '/'), std::string::npos);
    EXPECT_EQ(cp932::FindLastOf("a\\" + kTable, '\\', '/'), 1u);
}

TEST(Cp932Test, LeadByteWithoutValidTrailStandsAlone) {
    // 0x81 followed by '=' (not a trail byte) or at the very end is a character of its own.
    EXPECT_EQ(cp932::FindChar("\x81=", '='), 1u);
    EXPECT_EQ(cp932::CharLength("\x81", 0), 1u);
    EXPECT_EQ(cp932::Trim("\x81 "), "\x81");
}

TEST(Cp932Test, TrimRemovesCStyleWhiteSpaceOnly) {
    EXPECT_EQ(cp932::Trim(" \t\r\n\v\fab c \n"), "ab c");
    EXPECT_EQ(cp932::Trim(" \n"), "");
    EXPECT_EQ(cp932::Trim("\x81\x40"), "\x81\x40");  // the full-width space is a character
}

TEST(Cp932Test, CaseFoldingTouchesSingleByteLettersOnly) {
    EXPECT_TRUE(cp932::EqualsNoCase("BkBook_Multi.FTS", "bkbook_multi.fts"));
    EXPECT_FALSE(cp932::EqualsNoCase(kKatakanaA, kKatakanaSmallYa));
    EXPECT_TRUE(cp932::EqualsNoCase(kKatakanaA + "X", kKatakanaA + "x"));
    EXPECT_FALSE(cp932::EqualsNoCase("abc", "abcd"));
    EXPECT_EQ(cp932::FoldCase(kKatakanaA + "AB"), kKatakanaA + "ab");
}
