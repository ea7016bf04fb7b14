#include "view/CurveClipboard.h"

CCurveClipboard& GetCurveClipboard()
{
    static CCurveClipboard clipboard;
    return clipboard;
}
