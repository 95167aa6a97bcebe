#include "kavrel/views/KLabelPlacer.h"

bool CKLabelPlacer::TryPlace(const CRect& box)
{
    if (box.right <= box.left || box.bottom <= box.top)
        return false;
    for (const CRect& p : placed)
        if (box.left < p.right + nGap && p.left < box.right + nGap && box.top < p.bottom && p.top < box.bottom)
            return false;
    placed.push_back(box);
    return true;
}
