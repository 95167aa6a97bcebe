#include "glissar/GlissarCursors.h"

#include <cstdlib>

namespace {

constexpr int kN = KGlissarCursorPicture::nSize;
constexpr int kCentre = 15;
// Tool width in cadres for sizes 1..5; size 0 is the whole object.
constexpr int kToolWidth[6] = {0, 1, 3, 7, 15, 31};

void Ink(KGlissarCursorPicture& p, int x, int y)
{
    if (x >= 0 && x < kN && y >= 0 && y < kN)
        p.Rows[size_t(y)][size_t(x)] = '#';
}

void HLine(KGlissarCursorPicture& p, int x0, int x1, int y)
{
    for (int x = x0; x <= x1; ++x) Ink(p, x, y);
}

void VLine(KGlissarCursorPicture& p, int x, int y0, int y1)
{
    for (int y = y0; y <= y1; ++y) Ink(p, x, y);
}

// A white rim around every black pixel keeps the cursor visible on the
// dark and on the light parts of a sonogram alike.
void Outline(KGlissarCursorPicture& p)
{
    const auto black = p.Rows;
    for (int y = 0; y < kN; ++y)
        for (int x = 0; x < kN; ++x) {
            if (black[size_t(y)][size_t(x)] != ' ') continue;
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    near = nx >= 0 && nx < kN && ny >= 0 && ny < kN && black[size_t(ny)][size_t(nx)] == '#';
                }
            if (near) p.Rows[size_t(y)][size_t(x)] = '.';
        }
}

} // namespace

KGlissarCursorPicture DrawGlissarCursor(bool bAdd, bool bFollow, int nToolsSize)
{
    KGlissarCursorPicture p;
    for (auto& row : p.Rows) row.assign(kN, ' ');
    p.xHotSpot = p.yHotSpot = kCentre;
    if (nToolsSize < 0 || nToolsSize > 5) nToolsSize = 0;

    // The bin under the hot spot: a short upright tick.
    VLine(p, kCentre, kCentre - 3, kCentre + 3);
    // The tool's span in cadres, one pixel a cadre; the whole object is
    // a bar across the cursor with arrow heads.
    if (nToolsSize == 0) {
        HLine(p, 0, kN - 1, kCentre);
        for (int d = 1; d <= 3; ++d) {
            VLine(p, d, kCentre - d, kCentre + d);
            VLine(p, kN - 1 - d, kCentre - d, kCentre + d);
        }
    } else {
        const int half = kToolWidth[nToolsSize] / 2;
        HLine(p, kCentre - half, kCentre + half, kCentre);
        if (half > 0) {
            VLine(p, kCentre - half, kCentre - 1, kCentre + 1);
            VLine(p, kCentre + half, kCentre - 1, kCentre + 1);
        }
    }
    // Adding or removing: a plus or a minus at the top left.
    HLine(p, 2, 8, 5);
    HLine(p, 2, 8, 6);
    if (bAdd) {
        VLine(p, 5, 2, 9);
        VLine(p, 6, 2, 9);
    }
    // Following the maxima: a zigzag trace at the bottom right; a straight
    // trace when the stroke keeps its bin.
    if (bFollow) {
        for (int i = 0; i < 10; ++i) Ink(p, 20 + i, 27 - std::abs((i % 4) - 2));
    } else {
        HLine(p, 20, 29, 26);
    }
    Outline(p);
    return p;
}
