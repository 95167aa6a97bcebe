#include "kavrel/core/KParabolaMaximum.h"

void CKParabolaMaximum::Calculate(PARABOLA_PARAMS* p)
{
    const double x = p->x, dx = p->dx;
    const double yLeft = p->yLeft, yMiddle = p->yMiddle, yRight = p->yRight;

    // Not a peak (or flat): the middle sample stands for it.
    if (yMiddle < yRight || yMiddle < yLeft || (yLeft == yMiddle && yMiddle == yRight)) {
        p->xMax = x;
        p->yMax = yMiddle;
        return;
    }

    const double xMax = x - (dx / 2) * (yRight - yLeft) / (yRight - 2 * yMiddle + yLeft);
    double yMax;
    // The parabola is symmetric about xMax: the middle sample and the outer
    // one on the far side of the vertex give its height.
    if (xMax < x) {
        double r = (x - xMax) / (x + dx - xMax);
        yMax = (yMiddle - r * r * yRight) / (1 - r * r);
    } else if (xMax > x) {
        double r = (x - xMax) / (x - dx - xMax);
        yMax = (yMiddle - r * r * yLeft) / (1 - r * r);
    } else {
        yMax = yMiddle;
    }
    p->xMax = xMax;
    p->yMax = yMax;
}
