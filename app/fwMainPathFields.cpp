// The path fields' events: validation of what they hold, browsing, pasting and
// dropping paths. Until that handling is built, the fields only edit their own text;
// the readiness update still follows every delimiter change and tab switch.
#include "fwMain.h"

namespace Kestrin
{
void fwMain::ucSource_ButtonClick(int, short) {}

void fwMain::ucSource_KeyDown(int, short, short) {}

void fwMain::ucSource_KeyUp(int, short, short) {}

void fwMain::ucSource_OLEDragDrop(int, const QMimeData*, int, short, short, float, float) {}

void fwMain::ucTarget_ButtonClick(int, short) {}

void fwMain::ucTarget_KeyDown(int, short, short) {}

void fwMain::ucTarget_OLEDragDrop(int, const QMimeData*, int, short, short, float, float) {}
} // namespace Kestrin
