// SPDX-License-Identifier: MIT
#pragma once
// The window's pixel layout leaves fixed room for its captions (an 82 px label column,
// 128 px option buttons). The desktop font is used when the captions fit it; otherwise
// a narrower or smaller font is chosen, so that no caption is cut off.
#include <QFont>
#include <functional>

namespace Kestrin
{
// The first candidate for which fits() holds: the desktop font at its own size down to
// 8 pt, then an installed condensed family at 8 to 7.5 pt, then the desktop family
// smaller, down to 7 pt; the last candidate when none fits.
QFont FitFormFont(const QFont& desktop, const std::function<bool(const QFont&)>& fits);
} // namespace Kestrin
