#include "text/ByteScan.h"

#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define BYTESCAN_SSE2 1
#endif

namespace bytescan {

namespace {

bool IsAsciiLetter(char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

char LowerAscii(char ch) {
    return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
}

bool FoldedEqualAt(std::string_view text, std::size_t pos, std::string_view needle) {
    for (std::size_t index = 0; index < needle.size(); ++index) {
        if (LowerAscii(text[pos + index]) != LowerAscii(needle[index])) {
            return false;
        }
    }
    return true;
}

#ifdef BYTESCAN_SSE2

constexpr std::size_t kBlock = 16;
constexpr std::size_t kStride = 4 * kBlock;

__m128i Load(std::string_view text, std::size_t pos) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + pos));
}

// 0xFF in each byte of the block that compared equal.
__m128i Equal(__m128i left, __m128i right) {
    return _mm_cmpeq_epi8(left, right);
}

// One bit per byte of the block, set where the byte is 0xFF.
std::uint64_t Bits(__m128i marks) {
    return static_cast<std::uint16_t>(_mm_movemask_epi8(marks));
}

std::size_t LowestBit(std::uint64_t mask) {
#if defined(__GNUC__)
    return static_cast<std::size_t>(__builtin_ctzll(mask));
#else
    std::size_t bit = 0;
    for (; (mask & 1u) == 0; mask >>= 1) {
        ++bit;
    }
    return bit;
#endif
}

// A letter matches either case once the 0x20 bit is set on both sides.
__m128i FoldBit(char ch) {
    return _mm_set1_epi8(IsAsciiLetter(ch) ? 0x20 : 0);
}

// Offers `take` each place from `pos` on that `blockMarks(at)` marks among the 16 bytes at
// `at`, a stride of four blocks at a time while `reach` more bytes beyond a stride can be
// read. Returns the place `take` accepts, or npos with `pos` where the strides ended.
template <typename BlockMarks, typename Take>
std::size_t ScanStrides(std::string_view text, std::size_t& pos, std::size_t reach,
                        BlockMarks blockMarks, Take take) {
    for (; pos + kStride + reach <= text.size(); pos += kStride) {
        const __m128i marks[] = {blockMarks(pos), blockMarks(pos + kBlock),
                                 blockMarks(pos + 2 * kBlock), blockMarks(pos + 3 * kBlock)};
        const __m128i any =
            _mm_or_si128(_mm_or_si128(marks[0], marks[1]), _mm_or_si128(marks[2], marks[3]));
        if (_mm_movemask_epi8(any) == 0) {
            continue;
        }
        std::uint64_t found =
            Bits(marks[0]) | Bits(marks[1]) << 16 | Bits(marks[2]) << 32 | Bits(marks[3]) << 48;
        for (; found != 0; found &= found - 1) {
            const std::size_t place = pos + LowestBit(found);
            if (take(place)) {
                return place;
            }
        }
    }
    return npos;
}

bool TakeAny(std::size_t) {
    return true;
}

#endif

}  // namespace

std::size_t FindBareLineFeed(std::string_view text, std::size_t from) {
    std::size_t pos = from;
    if (pos == 0 && !text.empty()) {
        if (text[0] == '\n') {
            return 0;
        }
        pos = 1;
    }
#ifdef BYTESCAN_SSE2
    const __m128i feed = _mm_set1_epi8('\n');
    const __m128i carriageReturn = _mm_set1_epi8('\r');
    const auto bare = [&](std::size_t at) {
        return _mm_andnot_si128(Equal(Load(text, at - 1), carriageReturn),
                                Equal(Load(text, at), feed));
    };
    if (const std::size_t place = ScanStrides(text, pos, 0, bare, TakeAny); place != npos) {
        return place;
    }
#endif
    for (; pos < text.size(); ++pos) {
        if (text[pos] == '\n' && text[pos - 1] != '\r') {
            return pos;
        }
    }
    return npos;
}

std::size_t FindByteOrBareLineFeed(std::string_view text, std::size_t from, char byte) {
    std::size_t pos = from;
    if (pos == 0 && !text.empty()) {
        if (text[0] == byte || text[0] == '\n') {
            return 0;
        }
        pos = 1;
    }
#ifdef BYTESCAN_SSE2
    const __m128i wanted = _mm_set1_epi8(byte);
    const __m128i feed = _mm_set1_epi8('\n');
    const __m128i carriageReturn = _mm_set1_epi8('\r');
    const auto found = [&](std::size_t at) {
        const __m128i bytes = Load(text, at);
        const __m128i bare =
            _mm_andnot_si128(Equal(Load(text, at - 1), carriageReturn), Equal(bytes, feed));
        return _mm_or_si128(Equal(bytes, wanted), bare);
    };
    if (const std::size_t place = ScanStrides(text, pos, 0, found, TakeAny); place != npos) {
        return place;
    }
#endif
    for (; pos < text.size(); ++pos) {
        if (text[pos] == byte || (text[pos] == '\n' && text[pos - 1] != '\r')) {
            return pos;
        }
    }
    return npos;
}

std::size_t FindEqualsBeforeSpaceOrControl(std::string_view text, std::size_t from) {
    std::size_t pos = from;
#ifdef BYTESCAN_SSE2
    const __m128i equals = _mm_set1_epi8('=');
    const __m128i space = _mm_set1_epi8(' ');
    const auto equalsBeforeLow = [&](std::size_t at) {
        // A byte is at most the space when the space is the larger of the two.
        const __m128i next = Load(text, at + 1);
        const __m128i low = Equal(_mm_max_epu8(next, space), space);
        return _mm_and_si128(Equal(Load(text, at), equals), low);
    };
    if (const std::size_t found = ScanStrides(text, pos, 1, equalsBeforeLow, TakeAny);
        found != npos) {
        return found;
    }
#endif
    for (; pos < text.size(); ++pos) {
        if (text[pos] == '=' &&
            (pos + 1 == text.size() || static_cast<unsigned char>(text[pos + 1]) <= ' ')) {
            return pos;
        }
    }
    return npos;
}

std::size_t FindFolded(std::string_view text, std::size_t from, std::string_view needle) {
    if (needle.empty() || needle.size() > text.size()) {
        return npos;
    }
    const std::size_t lastOffset = needle.size() - 1;
    std::size_t pos = from;
#ifdef BYTESCAN_SSE2
    // Candidates have the needle's first and last bytes in place; each is then compared whole.
    const __m128i firstFold = FoldBit(needle.front());
    const __m128i lastFold = FoldBit(needle.back());
    const __m128i first = _mm_or_si128(_mm_set1_epi8(needle.front()), firstFold);
    const __m128i last = _mm_or_si128(_mm_set1_epi8(needle.back()), lastFold);
    const auto candidates = [&](std::size_t at) {
        return _mm_and_si128(Equal(_mm_or_si128(Load(text, at), firstFold), first),
                             Equal(_mm_or_si128(Load(text, at + lastOffset), lastFold), last));
    };
    const auto matches = [&](std::size_t at) { return FoldedEqualAt(text, at, needle); };
    if (const std::size_t found = ScanStrides(text, pos, lastOffset, candidates, matches);
        found != npos) {
        return found;
    }
#endif
    for (; pos + lastOffset < text.size(); ++pos) {
        if (FoldedEqualAt(text, pos, needle)) {
            return pos;
        }
    }
    return npos;
}

}  // namespace bytescan
