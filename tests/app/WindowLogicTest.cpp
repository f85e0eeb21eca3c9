// The window side's arithmetic, which needs no window.

#include <gtest/gtest.h>

#include "app/MinimizedIcon.h"
#include "app/SystemCommand.h"

TEST(WindowLogicTest, MinimizedIconIsCentredWithTruncatingDivision) {
    EXPECT_EQ(CentredIconOrigin(36, 36, 32, 32).x, 2);
    EXPECT_EQ(CentredIconOrigin(36, 36, 32, 32).y, 2);
    EXPECT_EQ(CentredIconOrigin(30, 36, 32, 32).x, 0);  // (-1) / 2 is 0, not -1
    EXPECT_EQ(CentredIconOrigin(28, 29, 32, 32).x, -1);
    EXPECT_EQ(CentredIconOrigin(28, 29, 32, 32).y, -1);
}

TEST(WindowLogicTest, AboutCommandIgnoresTheLowFourBitsAndTheHighWord) {
    EXPECT_TRUE(IsAboutCommand(0x0010));
    EXPECT_TRUE(IsAboutCommand(0x001F));
    EXPECT_TRUE(IsAboutCommand(0xABCD0015u));
    EXPECT_FALSE(IsAboutCommand(0x0020));
    EXPECT_FALSE(IsAboutCommand(0xF060));  // SC_CLOSE
    EXPECT_FALSE(IsAboutCommand(0x0000));
}
