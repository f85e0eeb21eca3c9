#include "ini/SlotNumber.h"

#include <gtest/gtest.h>

TEST(SlotNumberTest, LeadingNumberReadsAsAtoiDoes) {
    EXPECT_EQ(LeadingNumber("000121"), 121);
    EXPECT_EQ(LeadingNumber("  -7x"), -7);
    EXPECT_EQ(LeadingNumber("+3"), 3);
    EXPECT_EQ(LeadingNumber("abc"), 0);
    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_EQ(LeadingNumber("123456789012345678901234567890"), INT64_MAX);
    EXPECT_EQ(NextNumber(INT64_MAX), INT64_MAX);
}

TEST(SlotNumberTest, KeysArePaddedAsPrintfPadsThem) {
    EXPECT_EQ(FormatSlotKey(5, 2), "05");
    EXPECT_EQ(FormatSlotKey(99, 2), "99");
    EXPECT_EQ(FormatSlotKey(121, 6), "000121");
    EXPECT_EQ(FormatSlotKey(1234567, 6), "1234567");
    EXPECT_EQ(FormatSlotKey(-4, 6), "-00004");
}
