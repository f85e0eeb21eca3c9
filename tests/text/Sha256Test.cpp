#include "text/Sha256.h"

#include <gtest/gtest.h>

#include <string>

TEST(Sha256Test, KnownDigestsAcrossTheBlockBoundaries) {
    const struct {
        std::string bytes;
        const char* digest;
    } rows[] = {
        {"", "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855"},
        {"abc", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
        // 56 bytes: the length no longer fits the last block.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1"},
        {std::string(1000000, 'a'),
         "CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0"},
        {std::string("\x92\xCA\x92\xA0\0\xFF", 6),
         "AB8BD848C5FD9666F997D47972A17DF9DD2ADFAB1E8F6F4212938E4F6A6A7109"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Sha256Hex(row.bytes), row.digest) << row.bytes.size();
    }
}
