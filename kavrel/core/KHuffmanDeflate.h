// Raw deflate coded by Huffman codes alone, for the PNG writer. After the
// Sub filter a sonogram's rows are mostly small numbers: codes built for
// each block's own byte counts pack them tighter than a fast search for
// matches would, and a coder that does nothing else runs several times
// faster than zlib's general one (which still tallies every byte as a
// possible match). Blocks that would not shrink go out stored.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class CKHuffmanDeflater {
public:
    // Deflated bytes are appended to out.
    explicit CKHuffmanDeflater(std::vector<unsigned char>& out);

    void Write(const unsigned char* data, size_t n);
    // Codes what is left and ends on a byte boundary: with the final block
    // when last, otherwise with an empty stored block so that another
    // stream's blocks may follow.
    void Finish(bool last);

    // Adler-32 and count of the bytes written, for the zlib trailer.
    std::uint32_t Adler() const { return adler_; }
    std::size_t BytesIn() const { return bytesIn_; }

private:
    void CodeBlock(bool final);
    void Put(std::uint32_t bits, int n);
    void Align();
    void Reserve(size_t bytes);

    std::vector<unsigned char>& out_;
    std::vector<unsigned char> stage_;
    std::uint64_t acc_ = 0; // bits not yet stored, the first one lowest
    int nBits_ = 0;
    std::uint32_t adler_ = 1;
    std::size_t bytesIn_ = 0;
};

// Code lengths of at most `limit` bits for n symbols of the given counts
// (0: not used), the total coded length as short as the limit allows. At
// least two symbols get a code, so that the code is complete.
void KHuffmanLengths(const std::uint32_t* counts, int n, int limit, std::uint8_t* lengths);
