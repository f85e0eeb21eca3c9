// The window side's arithmetic, which needs no window.

#include <gtest/gtest.h>

#include "app/MinimizedIcon.h"
#include "app/SystemCommand.h"
#include "app/WindowPlacement.h"

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

TEST(WindowLogicTest, CentringKeepsTheWindowInsideTheWorkArea) {
    const ScreenRect work{0, 0, 1000, 700};
    const struct {
        ScreenRect over;
        int width, height, x, y;
    } cases[] = {
        {{100, 100, 500, 400}, 200, 100, 200, 200},  // fits: plainly centred
        {{-300, 600, 100, 900}, 200, 100, 0, 600},   // owner off the left and bottom edges
        {{800, -50, 1100, 50}, 400, 200, 600, 0},    // off the right and top edges
        {{0, 0, 1000, 700}, 1200, 900, 0, 0},        // larger than the work area: top left
    };
    for (const auto& item : cases) {
        const WindowOrigin origin = CentredWithin(item.width, item.height, item.over, work);
        EXPECT_EQ(origin.x, item.x);
        EXPECT_EQ(origin.y, item.y);
    }
}
