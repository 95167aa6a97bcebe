// Labels that must stay legible where many compete for little room (the
// analyser's frequencies of maxima and minima): the caller offers them in
// order of importance, and a label is drawn only where it overlaps none
// already taken.
#pragma once
#include <vector>

#include "framework/ui/WinTypes.h"

class CKLabelPlacer {
public:
    // gap: the free pixels kept between two labels side by side (about two
    // blanks, so that neighbouring numbers do not read as one).
    explicit CKLabelPlacer(int gap = 8) : nGap(gap) {}

    // Takes box (right and bottom exclusive) if it keeps the gap to every
    // box taken so far; whether it was taken.
    bool TryPlace(const CRect& box);
    const std::vector<CRect>& Placed() const { return placed; }

private:
    int nGap;
    std::vector<CRect> placed;
};
