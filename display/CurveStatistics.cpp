#include "display/CurveStatistics.h"

int MarkerSizeClass(int n)
{
    if (n <= 1)
        return 1;
    if (n <= 6)
        return 2;
    if (n <= 14)
        return 3;
    if (n <= 25)
        return 4;
    if (n <= 39)
        return 5;
    return 6;
}
