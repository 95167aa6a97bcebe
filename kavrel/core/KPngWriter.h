// PNG files of 8-bit grey or RGB pictures, written straight from rows in
// memory. The sonogram of an hour is a picture of millions of columns:
// the rows are deflated in pieces on several threads at once, each piece a
// run of deflate blocks of its own, joined into the one zlib stream the
// format asks for (the pieces end on a byte boundary and their checksums
// combine), so the file is an ordinary PNG that any reader opens.
#pragma once
#include <cstddef>

// Writes width x height pixels of `channels` bytes each (1: grey, 3: red,
// green, blue), row r (the top row first) at rows + r * stride, to path,
// which is replaced if it is there. nThreads pieces are deflated at once
// (0: one per core). False when the file cannot be written (errno tells)
// or the sizes are not a picture's.
bool KWritePng(const char* path, long width, long height, int channels, const unsigned char* rows, size_t stride,
               int nThreads = 0);
