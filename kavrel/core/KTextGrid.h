// Praat's TextGrid in its text forms: the annotation file every phonetics
// program exchanges. Written in the long form Praat itself writes (UTF-8);
// read in the long and the short form, UTF-8 or UTF-16, interval tiers and
// point tiers alike. Plain data and functions: the workshop's commands and
// the batch tool turn sound objects into a grid and back (KTextGridObjects.h).
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "framework/base/CString.h"

struct KTextGridInterval {
    double xmin = 0, xmax = 0;
    std::string text; // UTF-8
};

struct KTextGridPoint {
    double time = 0;
    std::string mark;
};

// An IntervalTier (bIntervals) or a TextTier, Praat's point tier.
struct KTextGridTier {
    bool bIntervals = true;
    std::string name;
    double xmin = 0, xmax = 0;
    std::vector<KTextGridInterval> intervals;
    std::vector<KTextGridPoint> points;
};

struct KTextGrid {
    double xmin = 0, xmax = 0;
    std::vector<KTextGridTier> tiers;
};

// Why a file was not read: the line (from 1) where the reading stopped.
struct KTextGridError {
    int nLine = 0;
    CString sReason;
};

// The largest TextGrid file read: far beyond any annotation of hours of
// speech, and it keeps a lying file from taking the machine's memory.
constexpr long long kMaxTextGridFileBytes = 64LL * 1024 * 1024;

// The grid in a file's bytes: a BOM of UTF-8, UTF-16 LE or BE, or none
// (UTF-8); the long or the short text form. False with the error when the
// bytes are not a TextGrid Praat would read, or one with impossible times.
bool KReadTextGrid(std::string_view bytes, KTextGrid& grid, KTextGridError& error);
// The same from a file (regular files only, at most kMaxTextGridFileBytes);
// a file that cannot be read gives line 0.
bool KReadTextGridFile(const CString& sPath, KTextGrid& grid, KTextGridError& error);
// The message the user is shown: the file and the line where reading stopped.
CString KTextGridErrorMessage(const CString& sPath, const KTextGridError& error);

// The long text form, exactly as Praat writes it: its indentation, its
// trailing blanks, numbers in the fewest digits that read back the same,
// quotes in strings doubled.
std::string KTextGridLongText(const KTextGrid& grid);
// Writes it to a new file; an existing file is never replaced, and a file
// whose writing failed is removed. False with the message shown.
bool KWriteTextGridFile(const CString& sPath, const KTextGrid& grid);
