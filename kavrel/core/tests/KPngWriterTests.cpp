// The PNG writer read back by hand: chunks, checksums and the rows that
// zlib's own inflate gives back from the stream of pieces.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "kavrel/core/KPngWriter.h"
#include "testsupport/WavBytes.h"

namespace {

std::uint32_t be32(const unsigned char* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

} // namespace

TEST(KPngWriter, PiecesOnSeveralThreadsMakeOneValidStream)
{
    for (int channels : {1, 3}) {
        for (int threads : {1, 3}) {
            const long w = 301, h = 37;
            std::vector<unsigned char> pixels(size_t(w * channels + 5) * h);
            for (size_t i = 0; i < pixels.size(); ++i)
                pixels[i] = static_cast<unsigned char>((i * 7919) ^ (i >> 5));
            const std::string path = wavbytes::tempPath("png-writer.png");
            ASSERT_TRUE(KWritePng(path.c_str(), w, h, channels, pixels.data(), size_t(w * channels + 5), threads));
            const wavbytes::Bytes f = wavbytes::readFile(path);
            ASSERT_GT(f.size(), 8u);
            ASSERT_EQ(std::string(f.begin() + 1, f.begin() + 4), "PNG");
            std::vector<unsigned char> stream;
            std::vector<std::string> types;
            for (size_t at = 8; at + 12 <= f.size();) {
                const std::uint32_t n = be32(&f[at]);
                const std::string type(f.begin() + long(at) + 4, f.begin() + long(at) + 8);
                types.push_back(type);
                ASSERT_LE(at + 12 + n, f.size());
                EXPECT_EQ(crc32(0, &f[at + 4], n + 4), be32(&f[at + 8 + n])) << type;
                if (type == "IHDR") {
                    EXPECT_EQ(be32(&f[at + 8]), std::uint32_t(w));
                    EXPECT_EQ(be32(&f[at + 12]), std::uint32_t(h));
                    EXPECT_EQ(f[at + 17], channels == 1 ? 0 : 2);
                }
                if (type == "IDAT")
                    stream.insert(stream.end(), f.begin() + long(at) + 8, f.begin() + long(at) + 8 + n);
                at += 12 + n;
            }
            ASSERT_GE(types.size(), 3u);
            EXPECT_EQ(types.front(), "IHDR");
            EXPECT_EQ(types.back(), "IEND");
            // zlib checks the Adler-32 of the whole stream as it inflates.
            std::vector<unsigned char> raw(size_t(w * channels + 1) * h + 1);
            uLongf got = uLongf(raw.size());
            ASSERT_EQ(uncompress(raw.data(), &got, stream.data(), uLong(stream.size())), Z_OK)
                << channels << " " << threads;
            ASSERT_EQ(got, uLongf(w * channels + 1) * h);
            // Every row behind the Sub filter: each byte less the pixel's to its left.
            for (long r = 0; r < h; ++r) {
                const unsigned char* line = raw.data() + r * (w * channels + 1);
                ASSERT_EQ(line[0], 1);
                const unsigned char* src = pixels.data() + r * (w * channels + 5);
                std::vector<unsigned char> row(size_t(w * channels));
                for (long i = 0; i < w * channels; ++i) {
                    row[size_t(i)] = static_cast<unsigned char>(line[1 + i] + (i >= channels ? row[size_t(i - channels)] : 0));
                    ASSERT_EQ(row[size_t(i)], src[i]) << r << " " << i;
                }
            }
        }
    }
    EXPECT_FALSE(KWritePng(wavbytes::tempPath("png-bad.png").c_str(), 0, 5, 1, nullptr, 0));
    EXPECT_FALSE(KWritePng("/nonexistent-dir/x.png", 2, 2, 1, std::vector<unsigned char>(4).data(), 2));
}
