#include "kavrel/core/KPngWriter.h"

#include "kavrel/core/KHuffmanDeflate.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <thread>
#include <vector>

namespace {

// Deflated bytes go out in IDAT chunks of at most this many.
constexpr size_t kChunkBytes = size_t(1) << 22;

void put32(unsigned char* p, unsigned long v)
{
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

bool writeChunk(std::FILE* f, const char type[4], const unsigned char* data, size_t n)
{
    unsigned char head[8];
    put32(head, static_cast<unsigned long>(n));
    std::memcpy(head + 4, type, 4);
    uLong crc = crc32(0L, head + 4, 4);
    if (n > 0)
        crc = crc32_z(crc, data, n);
    unsigned char tail[4];
    put32(tail, crc);
    return std::fwrite(head, 1, 8, f) == 8 && (n == 0 || std::fwrite(data, 1, n, f) == n) &&
           std::fwrite(tail, 1, 4, f) == 4;
}

// One piece of the stream: rows [r0, r1), each behind its filter byte.
// Sonogram rows are one spectral line through time, smooth from column to
// column: the Sub filter (the difference from the pixel on the left) makes
// them far more compressible for the price of a subtraction.
struct Piece {
    std::vector<unsigned char> out;
    uLong adler = 1;
    size_t rawBytes = 0;
    bool ok = false;
};

void deflatePiece(Piece& p, const unsigned char* rows, size_t stride, long width, int channels, long r0, long r1,
                  bool last)
{
    // Raw deflate: the zlib header and checksum are written once for all pieces.
    const size_t rowBytes = size_t(width) * size_t(channels);
    p.out.reserve((rowBytes + 1) * size_t(r1 - r0) / 2 + 4096);
    CKHuffmanDeflater d(p.out);
    std::vector<unsigned char> line(rowBytes + 1);
    line[0] = 1; // Sub
    for (long r = r0; r < r1; ++r) {
        const unsigned char* src = rows + size_t(r) * stride;
        unsigned char* dst = line.data() + 1;
        for (int c = 0; c < channels; ++c)
            dst[c] = src[c];
        for (size_t i = size_t(channels); i < rowBytes; ++i)
            dst[i] = static_cast<unsigned char>(src[i] - src[i - size_t(channels)]);
        d.Write(line.data(), line.size());
    }
    d.Finish(last);
    p.adler = d.Adler();
    p.rawBytes = d.BytesIn();
    p.ok = true;
}

} // namespace

bool KWritePng(const char* path, long width, long height, int channels, const unsigned char* rows, size_t stride,
               int nThreads)
{
    if (width < 1 || height < 1 || width > 0x7FFFFFFFL || height > 0x7FFFFFFFL || (channels != 1 && channels != 3)) {
        errno = EINVAL;
        return false;
    }
    if (nThreads <= 0)
        nThreads = int(std::max(1u, std::thread::hardware_concurrency()));
    const int nPieces = int(std::min<long>(nThreads, height));
    std::vector<Piece> pieces(static_cast<size_t>(nPieces));
    {
        std::vector<std::thread> workers;
        for (int i = 0; i < nPieces; ++i) {
            const long r0 = height * i / nPieces, r1 = height * (i + 1) / nPieces;
            auto job = [&, i, r0, r1] {
                try {
                    deflatePiece(pieces[size_t(i)], rows, stride, width, channels, r0, r1, i + 1 == nPieces);
                } catch (const std::bad_alloc&) {
                    pieces[size_t(i)].ok = false;
                }
            };
            if (i + 1 == nPieces)
                job(); // the calling thread takes the last piece
            else
                workers.emplace_back(job);
        }
        for (auto& w : workers)
            w.join();
    }
    uLong adler = 1;
    for (const Piece& p : pieces) {
        if (!p.ok) {
            errno = ENOMEM;
            return false;
        }
        adler = adler32_combine(adler, p.adler, z_off_t(p.rawBytes));
    }

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path, "wb"), std::fclose);
    if (!f)
        return false;
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    unsigned char ihdr[13];
    put32(ihdr, static_cast<unsigned long>(width));
    put32(ihdr + 4, static_cast<unsigned long>(height));
    ihdr[8] = 8;                          // bits per sample
    ihdr[9] = channels == 1 ? 0 : 2;      // grey or truecolour
    ihdr[10] = ihdr[11] = ihdr[12] = 0;   // deflate, adaptive filtering, no interlace
    bool ok = std::fwrite(kSignature, 1, 8, f.get()) == 8 && writeChunk(f.get(), "IHDR", ihdr, 13);
    // The zlib stream: its header (32 K window, fastest level), the pieces, the checksum.
    std::vector<unsigned char> buf;
    buf.reserve(kChunkBytes);
    buf.push_back(0x78);
    buf.push_back(0x01);
    auto flushBuf = [&] {
        ok = ok && writeChunk(f.get(), "IDAT", buf.data(), buf.size());
        buf.clear();
    };
    for (const Piece& p : pieces) {
        for (size_t at = 0; at < p.out.size() && ok;) {
            const size_t n = std::min(kChunkBytes - buf.size(), p.out.size() - at);
            buf.insert(buf.end(), p.out.begin() + long(at), p.out.begin() + long(at + n));
            at += n;
            if (buf.size() == kChunkBytes)
                flushBuf();
        }
    }
    unsigned char trailer[4];
    put32(trailer, adler);
    buf.insert(buf.end(), trailer, trailer + 4);
    flushBuf();
    ok = ok && writeChunk(f.get(), "IEND", nullptr, 0);
    const bool closed = std::fclose(f.release()) == 0;
    return ok && closed;
}
