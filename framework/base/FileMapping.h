// Files mapped into memory with the platform's calling pattern: a mapping
// object over an open file, views of it for reading or for reading and
// writing, unmapping, closing. A view shares the file's pages: what is
// written through it is what the file reads, and the other way round.
#pragma once
#include <cerrno>
#include <cstddef>

#include "framework/base/CFile.h"
#include "framework/base/Types.h"

struct KFileMappingObject;
typedef KFileMappingObject* HFILEMAPPING;

// Protection of a mapping object.
enum : DWORD { PAGE_READONLY = 0x02, PAGE_READWRITE = 0x04 };
// Access of a view; writing includes reading.
enum : DWORD { FILE_MAP_WRITE = 0x0002, FILE_MAP_READ = 0x0004, FILE_MAP_ALL_ACCESS = 0x000F001F };

// A mapping object of nMaximumSize bytes over the open file; a file shorter
// than that grows to it, with zeros. Size 0 means the file's length, and an
// empty file cannot be mapped. The file must be open for reading, and for
// writing too with PAGE_READWRITE. Null on failure, the reason in errno.
// The object keeps its own hold on the file: the CFile may close first.
HFILEMAPPING CreateFileMapping(const CFile& file, DWORD flProtect, unsigned long long nMaximumSize);
// A view of nBytes of the mapping from nOffset (a multiple of the page
// size); 0 bytes: to the mapping's end. Null on failure, the reason in errno.
void* MapViewOfFile(HFILEMAPPING hMapping, DWORD dwDesiredAccess, unsigned long long nOffset, size_t nBytes);
// Only an address MapViewOfFile returned, once.
BOOL UnmapViewOfFile(const void* pBaseAddress);
// Views stay valid after their mapping object is closed, until unmapped.
BOOL CloseHandle(HFILEMAPPING hMapping);

// The next CreateFileMapping, or the next MapViewOfFile, fails with this
// system error, as the platform's calls can (no memory, no address space),
// so that every caller's failure path can be walked.
void KFailNextCreateFileMapping(int osError = ENOMEM);
void KFailNextMapViewOfFile(int osError = ENOMEM);
