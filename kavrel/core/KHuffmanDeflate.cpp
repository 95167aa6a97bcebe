#include "kavrel/core/KHuffmanDeflate.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Bytes coded with one set of codes: large enough that the header (about
// 150 bytes) does not count, small enough to follow the picture's changes.
constexpr size_t kBlockBytes = size_t(1) << 17;
constexpr size_t kStoredMax = 65535;
constexpr int kLiterals = 257; // the bytes and the end of the block
constexpr int kAllLengths = kLiterals + 2;

// The order in which the code-length code's own lengths are sent.
constexpr int kClOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// Canonical codes of the given lengths, bit-reversed: deflate sends a code
// from its first bit on, and the bit sink fills from the lowest bit.
void canonicalCodes(const std::uint8_t* len, int n, std::uint32_t* code)
{
    int count[16] = {};
    for (int s = 0; s < n; ++s)
        ++count[len[s]];
    count[0] = 0;
    std::uint32_t next[16] = {};
    std::uint32_t c = 0;
    for (int b = 1; b < 16; ++b) {
        c = (c + std::uint32_t(count[b - 1])) << 1;
        next[b] = c;
    }
    for (int s = 0; s < n; ++s) {
        code[s] = 0;
        if (len[s] == 0)
            continue;
        std::uint32_t v = next[len[s]]++, r = 0;
        for (int b = 0; b < len[s]; ++b, v >>= 1)
            r = (r << 1) | (v & 1);
        code[s] = r;
    }
}

} // namespace

void KHuffmanLengths(const std::uint32_t* counts, int n, int limit, std::uint8_t* lengths)
{
    std::fill(lengths, lengths + n, std::uint8_t(0));
    std::vector<std::pair<std::uint64_t, int>> leaves;
    for (int s = 0; s < n; ++s)
        if (counts[s] != 0)
            leaves.emplace_back(counts[s], s);
    // A lone symbol still needs a one-bit code, and a complete code two.
    for (int s = 0; s < n && leaves.size() < 2; ++s)
        if (counts[s] == 0)
            leaves.emplace_back(0, s);
    std::sort(leaves.begin(), leaves.end());
    const int m = int(leaves.size());
    if (m < 2)
        return;
    // Huffman's merging with two queues: the sorted leaves and the inner
    // nodes, which are made in increasing weight.
    std::vector<std::uint64_t> w(size_t(2 * m - 1));
    std::vector<int> parent(size_t(2 * m - 1), 0);
    for (int i = 0; i < m; ++i)
        w[size_t(i)] = leaves[size_t(i)].first;
    int li = 0, ni = m;
    auto take = [&](int next) {
        if (li < m && (ni >= next || w[size_t(li)] <= w[size_t(ni)]))
            return li++;
        return ni++;
    };
    for (int next = m; next < 2 * m - 1; ++next) {
        const int a = take(next), b = take(next);
        w[size_t(next)] = w[size_t(a)] + w[size_t(b)];
        parent[size_t(a)] = parent[size_t(b)] = next;
    }
    std::vector<int> depth(size_t(2 * m - 1), 0);
    for (int k = 2 * m - 3; k >= 0; --k)
        depth[size_t(k)] = depth[size_t(parent[size_t(k)])] + 1;
    // Too long codes are cut to the limit, and the code made whole again by
    // lengthening shorter ones, one step at a time.
    std::vector<std::uint64_t> perLength(size_t(limit) + 1, 0);
    for (int i = 0; i < m; ++i)
        ++perLength[size_t(std::min(depth[size_t(i)], limit))];
    std::uint64_t kraft = 0;
    for (int b = 1; b <= limit; ++b)
        kraft += perLength[size_t(b)] << (limit - b);
    while (kraft > (std::uint64_t(1) << limit)) {
        --perLength[size_t(limit)];
        for (int b = limit - 1; b > 0; --b)
            if (perLength[size_t(b)] != 0) {
                --perLength[size_t(b)];
                perLength[size_t(b) + 1] += 2;
                break;
            }
        --kraft;
    }
    // The rarest symbols take the longest codes.
    int at = 0;
    for (int b = limit; b > 0; --b)
        for (std::uint64_t k = 0; k < perLength[size_t(b)]; ++k)
            lengths[leaves[size_t(at++)].second] = std::uint8_t(b);
}

CKHuffmanDeflater::CKHuffmanDeflater(std::vector<unsigned char>& out)
    : out_(out)
{
    stage_.reserve(kBlockBytes);
}

void CKHuffmanDeflater::Reserve(size_t bytes)
{
    const size_t need = out_.size() + bytes + 16;
    if (out_.capacity() < need)
        out_.reserve(std::max(need, out_.capacity() + out_.capacity() / 2));
}

void CKHuffmanDeflater::Put(std::uint32_t bits, int n)
{
    acc_ |= std::uint64_t(bits) << nBits_;
    nBits_ += n;
    while (nBits_ >= 8) {
        out_.push_back(static_cast<unsigned char>(acc_));
        acc_ >>= 8;
        nBits_ -= 8;
    }
}

void CKHuffmanDeflater::Align()
{
    if (nBits_ > 0)
        out_.push_back(static_cast<unsigned char>(acc_));
    acc_ = 0;
    nBits_ = 0;
}

void CKHuffmanDeflater::Write(const unsigned char* data, size_t n)
{
    while (n > 0) {
        const size_t take = std::min(n, kBlockBytes - stage_.size());
        stage_.insert(stage_.end(), data, data + take);
        data += take;
        n -= take;
        if (stage_.size() == kBlockBytes)
            CodeBlock(false);
    }
}

void CKHuffmanDeflater::CodeBlock(bool final)
{
    const unsigned char* s = stage_.data();
    const size_t n = stage_.size();
    adler_ = std::uint32_t(adler32_z(adler_, s, n));
    bytesIn_ += n;

    // Counted in four tallies, so that runs of one byte do not wait on
    // their own increments.
    std::uint32_t tally[4][256] = {};
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        ++tally[0][s[i]];
        ++tally[1][s[i + 1]];
        ++tally[2][s[i + 2]];
        ++tally[3][s[i + 3]];
    }
    for (; i < n; ++i)
        ++tally[0][s[i]];
    std::uint32_t counts[kLiterals];
    for (int b = 0; b < 256; ++b)
        counts[b] = tally[0][b] + tally[1][b] + tally[2][b] + tally[3][b];
    counts[256] = 1;

    // The literal codes, then two one-bit distance codes that are never
    // used (a dynamic block must have some), then the code of those lengths.
    std::uint8_t all[kAllLengths];
    KHuffmanLengths(counts, kLiterals, 15, all);
    all[kLiterals] = all[kLiterals + 1] = 1;
    std::uint32_t clCounts[19] = {};
    for (std::uint8_t l : all)
        ++clCounts[l];
    std::uint8_t clLen[19];
    KHuffmanLengths(clCounts, 19, 7, clLen);
    int nCl = 19;
    while (nCl > 4 && clLen[kClOrder[nCl - 1]] == 0)
        --nCl;

    std::uint64_t codedBits = 3 + 14 + 3 * std::uint64_t(nCl);
    for (int v = 0; v < 19; ++v)
        codedBits += std::uint64_t(clCounts[v]) * clLen[v];
    for (int b = 0; b < kLiterals; ++b)
        codedBits += std::uint64_t(counts[b]) * all[b];
    const std::uint64_t storedBits = (n / kStoredMax + 1) * (3 + 7 + 32) + 8 * std::uint64_t(n);

    if (n == 0 || codedBits >= storedBits) {
        size_t at = 0;
        do {
            const size_t len = std::min(kStoredMax, n - at);
            Put(final && at + len == n ? 1 : 0, 1);
            Put(0, 2);
            Align();
            const unsigned char head[4] = {static_cast<unsigned char>(len), static_cast<unsigned char>(len >> 8),
                                           static_cast<unsigned char>(~len), static_cast<unsigned char>(~len >> 8)};
            out_.insert(out_.end(), head, head + 4);
            out_.insert(out_.end(), s + at, s + at + len);
            at += len;
        } while (at < n);
        stage_.clear();
        return;
    }

    Reserve(size_t(codedBits / 8) + 512); // the header again, and the last word's slack
    Put(final ? 1 : 0, 1);
    Put(2, 2); // dynamic codes
    Put(kLiterals - 257, 5);
    Put(2 - 1, 5);
    Put(std::uint32_t(nCl - 4), 4);
    for (int k = 0; k < nCl; ++k)
        Put(clLen[kClOrder[k]], 3);
    std::uint32_t clCode[19];
    canonicalCodes(clLen, 19, clCode);
    for (std::uint8_t l : all)
        Put(clCode[l], clLen[l]);

    std::uint32_t code[kLiterals];
    canonicalCodes(all, kLiterals, code);
    // Code and length in one word: one load a byte.
    std::uint32_t table[256];
    for (int b = 0; b < 256; ++b)
        table[b] = code[b] | std::uint32_t(all[b]) << 16;
    // Three codes of at most 15 bits fit beside the 7 bits left over; the
    // whole word is stored and the pointer moved on by the full bytes.
    const size_t pos = out_.size();
    out_.resize(pos + size_t(codedBits / 8) + 8);
    unsigned char* p = out_.data() + pos;
    std::uint64_t acc = acc_;
    int nb = nBits_;
    for (i = 0; i + 3 <= n; i += 3) {
        const std::uint32_t a = table[s[i]], b = table[s[i + 1]], c = table[s[i + 2]];
        acc |= std::uint64_t(a & 0xFFFF) << nb;
        nb += int(a >> 16);
        acc |= std::uint64_t(b & 0xFFFF) << nb;
        nb += int(b >> 16);
        acc |= std::uint64_t(c & 0xFFFF) << nb;
        nb += int(c >> 16);
        std::memcpy(p, &acc, 8);
        p += nb >> 3;
        acc >>= nb & 56;
        nb &= 7;
    }
    for (; i < n; ++i) {
        const std::uint32_t a = table[s[i]];
        acc |= std::uint64_t(a & 0xFFFF) << nb;
        nb += int(a >> 16);
        std::memcpy(p, &acc, 8);
        p += nb >> 3;
        acc >>= nb & 56;
        nb &= 7;
    }
    out_.resize(size_t(p - out_.data()));
    acc_ = acc;
    nBits_ = nb;
    Put(code[256], all[256]);
    stage_.clear();
}

void CKHuffmanDeflater::Finish(bool last)
{
    if (last) {
        CodeBlock(true);
    } else {
        if (!stage_.empty())
            CodeBlock(false);
        // An empty stored block brings the stream to a byte boundary.
        Put(0, 3);
        Align();
        const unsigned char empty[4] = {0, 0, 0xFF, 0xFF};
        out_.insert(out_.end(), empty, empty + 4);
    }
    Align();
}
