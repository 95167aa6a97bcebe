// The 24 editing cursors of the tracer's upper screen: one per combination
// of adding or removing traces, following maxima or not, and tool size.
// The pictures are plain rows of characters so that they are drawn and
// checked without a window.
#pragma once
#include <array>
#include <string>

struct KGlissarCursorPicture {
    static constexpr int nSize = 32;
    // '#' black, '.' white, ' ' transparent.
    std::array<std::string, nSize> Rows;
    int xHotSpot = 15;
    int yHotSpot = 15;
};

// Cursor index of a combination: add/remove × follow × six tool sizes.
constexpr int GlissarCursorIndex(bool bAdd, bool bFollow, int nToolsSize)
{
    return (bAdd ? 0 : 12) + (bFollow ? 0 : 6) + nToolsSize;
}
constexpr int nGlissarCursors = 24;

// The picture of one combination; nToolsSize is 0..5 (0: the whole object).
KGlissarCursorPicture DrawGlissarCursor(bool bAdd, bool bFollow, int nToolsSize);
