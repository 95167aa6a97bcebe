// The Huffman-only coder read back by zlib's inflate, on the inputs that
// take its every path: skewed counts past the length limit, bytes that do
// not compress, several blocks, and two streams joined one after the other.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "kavrel/core/KHuffmanDeflate.h"

namespace {

std::vector<unsigned char> inflateRaw(const std::vector<unsigned char>& in, size_t expected)
{
    std::vector<unsigned char> out(expected + 16);
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
    z.next_in = const_cast<unsigned char*>(in.data());
    z.avail_in = uInt(in.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
    EXPECT_EQ(z.avail_in, 0u) << "bytes after the final block";
    out.resize(z.total_out);
    inflateEnd(&z);
    return out;
}

double kraftSum(const std::uint8_t* len, int n)
{
    double sum = 0;
    for (int s = 0; s < n; ++s)
        if (len[s] != 0)
            sum += 1.0 / double(std::uint64_t(1) << len[s]);
    return sum;
}

} // namespace

TEST(KHuffmanDeflate, CodeLengthsAreOptimalWithinTheLimitAndComplete)
{
    // By hand: 1, 1, 2, 4 merge into lengths 3, 3, 2, 1; unused symbols get none.
    const std::uint32_t small[6] = {4, 0, 1, 2, 1, 0};
    std::uint8_t len[6];
    KHuffmanLengths(small, 6, 15, len);
    EXPECT_EQ(std::vector<int>(len, len + 6), (std::vector<int>{1, 0, 3, 2, 3, 0}));
    // A lone symbol still gets a complete one-bit code beside another.
    const std::uint32_t lone[4] = {0, 0, 9, 0};
    KHuffmanLengths(lone, 4, 7, len);
    EXPECT_EQ(len[2], 1);
    EXPECT_DOUBLE_EQ(kraftSum(len, 4), 1.0);
    // Fibonacci counts make a tree 29 deep: cut to 15 and 7, still complete.
    std::uint32_t fib[30] = {1, 1};
    for (int i = 2; i < 30; ++i)
        fib[i] = fib[i - 1] + fib[i - 2];
    for (int limit : {15, 7}) {
        std::uint8_t fl[30];
        KHuffmanLengths(fib, 30, limit, fl);
        for (int i = 0; i < 30; ++i) {
            EXPECT_GE(fl[i], 1);
            EXPECT_LE(fl[i], limit);
            if (i > 0) {
                EXPECT_LE(fl[i], fl[i - 1]) << "a commoner symbol with a longer code";
            }
        }
        EXPECT_DOUBLE_EQ(kraftSum(fl, 30), 1.0);
    }
}

TEST(KHuffmanDeflate, InflatesBackThroughEveryKindOfBlock)
{
    std::mt19937 rng(7);
    // Small numbers like a filtered sonogram row, over several blocks.
    std::vector<unsigned char> smooth(300000);
    std::geometric_distribution<int> g(0.3);
    for (auto& b : smooth)
        b = static_cast<unsigned char>(rng() & 1 ? g(rng) : -g(rng));
    // Noise that no code shrinks: stored blocks.
    std::vector<unsigned char> noise(140000);
    for (auto& b : noise)
        b = static_cast<unsigned char>(rng());
    // One byte only: the lone-symbol code; and nothing at all.
    const std::vector<unsigned char> flat(70000, 42), none;
    for (const std::vector<unsigned char>* data :
         std::initializer_list<const std::vector<unsigned char>*>{&smooth, &noise, &flat, &none}) {
        std::vector<unsigned char> out;
        CKHuffmanDeflater d(out);
        // Written in uneven pieces, as rows come.
        for (size_t at = 0; at < data->size(); at += 4099)
            d.Write(data->data() + at, std::min<size_t>(4099, data->size() - at));
        d.Finish(true);
        EXPECT_EQ(inflateRaw(out, data->size()), *data) << data->size();
        EXPECT_EQ(d.BytesIn(), data->size());
        EXPECT_EQ(d.Adler(), adler32_z(1, data->data(), data->size()));
        if (data == &smooth) {
            EXPECT_LT(out.size(), data->size() / 2);
        }
        if (data == &noise) {
            EXPECT_LE(out.size(), data->size() + 5 * (data->size() / 65535 + 1) + 8);
        }
    }
    // Two coders, the first not last: one stream.
    std::vector<unsigned char> out;
    CKHuffmanDeflater first(out);
    first.Write(smooth.data(), 1000);
    first.Finish(false);
    std::vector<unsigned char> second;
    CKHuffmanDeflater next(second);
    next.Write(noise.data(), 500);
    next.Finish(true);
    out.insert(out.end(), second.begin(), second.end());
    std::vector<unsigned char> both(1500);
    std::copy(smooth.begin(), smooth.begin() + 1000, both.begin());
    std::copy(noise.begin(), noise.begin() + 500, both.begin() + 1000);
    EXPECT_EQ(inflateRaw(out, both.size()), both);
}
