#include "text/Sha256.h"

#include <gtest/gtest.h>

#include <string>

TEST(Sha256Test, KnownDigestsAcrossTheBlockBoundaries) {
    const struct {
        std::string bytes;
        const char* digest;
    } rows[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 56 bytes: the length no longer fits the last block.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {std::string("\x92\xCA\x92\xA0\0\xFF", 6),
         "ab8bd848c5fd9666f997d47972a17df9dd2adfab1e8f6f4212938e4f6a6a7109"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Sha256Hex(row.bytes), row.digest) << row.bytes.size();
    }
}
