// SPDX-License-Identifier: MIT
#include "OleColorMapping.h"

#include <QPalette>

namespace Ostrel
{
namespace
{
struct SystemRole
{
    QPalette::ColorGroup Group;
    QPalette::ColorRole Role;
};

// System colour indexes 0 to 30 and the palette role that plays their part here.
constexpr SystemRole SystemRoles[] = {
    {QPalette::Active, QPalette::Mid},             // 0 scroll bar
    {QPalette::Active, QPalette::Dark},            // 1 desktop
    {QPalette::Active, QPalette::Highlight},       // 2 active caption
    {QPalette::Inactive, QPalette::Mid},           // 3 inactive caption
    {QPalette::Active, QPalette::Window},          // 4 menu
    {QPalette::Active, QPalette::Base},            // 5 window background
    {QPalette::Active, QPalette::Shadow},          // 6 window frame
    {QPalette::Active, QPalette::WindowText},      // 7 menu text
    {QPalette::Active, QPalette::Text},            // 8 window text
    {QPalette::Active, QPalette::HighlightedText}, // 9 caption text
    {QPalette::Active, QPalette::Button},          // 10 active border
    {QPalette::Inactive, QPalette::Button},        // 11 inactive border
    {QPalette::Active, QPalette::Dark},            // 12 application workspace
    {QPalette::Active, QPalette::Highlight},       // 13 highlight
    {QPalette::Active, QPalette::HighlightedText}, // 14 highlighted text
    {QPalette::Active, QPalette::Button},          // 15 button face
    {QPalette::Active, QPalette::Dark},            // 16 button shadow
    {QPalette::Disabled, QPalette::Text},          // 17 grey text
    {QPalette::Active, QPalette::ButtonText},      // 18 button text
    {QPalette::Inactive, QPalette::WindowText},    // 19 inactive caption text
    {QPalette::Active, QPalette::Light},           // 20 button highlight
    {QPalette::Active, QPalette::Shadow},          // 21 3-D dark shadow
    {QPalette::Active, QPalette::Midlight},        // 22 3-D light
    {QPalette::Active, QPalette::ToolTipText},     // 23 tool tip text
    {QPalette::Active, QPalette::ToolTipBase},     // 24 tool tip background
    {QPalette::Active, QPalette::Button},          // 25 (unused index)
    {QPalette::Active, QPalette::Link},            // 26 hot-tracked item
    {QPalette::Active, QPalette::Highlight},       // 27 active caption gradient
    {QPalette::Inactive, QPalette::Mid},           // 28 inactive caption gradient
    {QPalette::Active, QPalette::Highlight},       // 29 menu highlight
    {QPalette::Active, QPalette::Window},          // 30 menu bar
};
} // namespace

QColor OleColorToColor(quint32 oleColor, const QPalette& palette)
{
    const quint32 high = oleColor >> 24;
    if (high == 0)
        return QColor(static_cast<int>(oleColor & 0xFF), static_cast<int>((oleColor >> 8) & 0xFF),
                      static_cast<int>((oleColor >> 16) & 0xFF));
    if (high == 0x80)
    {
        const quint32 index = oleColor & 0x00FFFFFFu;
        if (index < sizeof(SystemRoles) / sizeof(SystemRoles[0]))
            return palette.color(SystemRoles[index].Group, SystemRoles[index].Role);
    }
    return QColor();
}
} // namespace Ostrel
