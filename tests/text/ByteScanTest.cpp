// The block-wise searches against plain byte-by-byte loops, on texts where hits fall at every
// place of a block, at the edges of the text and across block boundaries.

#include "text/ByteScan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

bool IsSpaceOrControl(char ch) {
    return static_cast<unsigned char>(ch) <= ' ';
}

char Lower(char ch) {
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

std::size_t PlainBareLineFeed(const std::string& text, std::size_t from) {
    for (std::size_t pos = from; pos < text.size(); ++pos) {
        if (text[pos] == '\n' && (pos == 0 || text[pos - 1] != '\r')) {
            return pos;
        }
    }
    return bytescan::npos;
}

std::size_t PlainByteOrBareLineFeed(const std::string& text, std::size_t from, char byte) {
    for (std::size_t pos = from; pos < text.size(); ++pos) {
        if (text[pos] == byte || (text[pos] == '\n' && (pos == 0 || text[pos - 1] != '\r'))) {
            return pos;
        }
    }
    return bytescan::npos;
}

std::size_t PlainEqualsBeforeSpaceOrControl(const std::string& text, std::size_t from) {
    for (std::size_t pos = from; pos < text.size(); ++pos) {
        if (text[pos] == '=' && (pos + 1 == text.size() || IsSpaceOrControl(text[pos + 1]))) {
            return pos;
        }
    }
    return bytescan::npos;
}

std::size_t PlainFolded(const std::string& text, std::size_t from, const std::string& needle) {
    for (std::size_t pos = from; pos + needle.size() <= text.size(); ++pos) {
        std::size_t same = 0;
        while (same < needle.size() && Lower(text[pos + same]) == Lower(needle[same])) {
            ++same;
        }
        if (same == needle.size()) {
            return pos;
        }
    }
    return bytescan::npos;
}

// Texts of the few bytes the searches care about, with letters of both cases, lead and trail
// bytes and a byte of each sign.
std::string RandomText(std::mt19937& random, std::size_t size) {
    static const char kAlphabet[] = "\n\r\r = =\t]]aAbB09\x81\x5B\x83\x5D\xFF\x7F\x0B\x01\x1F!";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
    std::string text;
    for (std::size_t index = 0; index < size; ++index) {
        text += kAlphabet[pick(random)];
    }
    return text;
}

}  // namespace

TEST(ByteScanTest, FindsWhatAPlainLoopFinds) {
    std::mt19937 random(7);
    const std::string needles[] = {
        "a", "Ab", "=\n", "b0a", "\x81\x5B", "]\r\r=", "aaaaAAAAbbbbBBBB0"};
    for (int round = 0; round < 400; ++round) {
        const std::string text = RandomText(random, random() % 300);
        for (std::size_t from = 0; from <= text.size() + 1; from += 1 + random() % 7) {
            EXPECT_EQ(bytescan::FindBareLineFeed(text, from), PlainBareLineFeed(text, from));
            EXPECT_EQ(bytescan::FindByteOrBareLineFeed(text, from, ']'),
                      PlainByteOrBareLineFeed(text, from, ']'));
            EXPECT_EQ(bytescan::FindEqualsBeforeSpaceOrControl(text, from),
                      PlainEqualsBeforeSpaceOrControl(text, from));
            for (const std::string& needle : needles) {
                EXPECT_EQ(bytescan::FindFolded(text, from, needle), PlainFolded(text, from, needle))
                    << needle;
            }
        }
    }
}

TEST(ByteScanTest, HitsAtEveryPlaceOfALongText) {
    // One hit in a long run of other bytes, at each place from the first to the last.
    for (std::size_t place = 0; place < 200; ++place) {
        std::string text(200, 'x');
        text[place] = '\n';
        EXPECT_EQ(bytescan::FindBareLineFeed(text, 0), place);
        EXPECT_EQ(bytescan::FindByteOrBareLineFeed(text, 0, ']'), place);
        text[place] = '=';
        const std::size_t expected = place + 1 == text.size() ? place : bytescan::npos;
        EXPECT_EQ(bytescan::FindEqualsBeforeSpaceOrControl(text, 0), expected);
        if (place + 1 < text.size()) {
            text[place + 1] = '\v';
            EXPECT_EQ(bytescan::FindEqualsBeforeSpaceOrControl(text, 0), place);
            text.replace(place, 2, "aB");
            EXPECT_EQ(bytescan::FindFolded(text, 0, "Ab"), place);
        }
    }
    std::string crlf;
    for (int line = 0; line < 40; ++line) {
        crlf += "k=v\r\n";
    }
    EXPECT_EQ(bytescan::FindBareLineFeed(crlf, 0), bytescan::npos);
    EXPECT_EQ(bytescan::FindBareLineFeed("\n" + crlf, 0), 0u);
}
