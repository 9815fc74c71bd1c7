// Where a folder-tree row's check box lies: the hit test for clicks on it.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Whether a click at aClick (view coordinates) lies on the check box of the row aRow (the row's
// full rectangle, its left edge where an unscrolled row starts). The box starts after the
// indentation aIndent * (aLevel + 1 when root decorations are shown, else aLevel), measured in
// unscrolled coordinates (aClick.x + aScrollX), is aImage wide, and is centred vertically:
// g = (row height - image height) / 2 rounded toward zero, and top + g <= y <= bottom - g. Pure.
bool IsClickOnCheckBox(const QRect &aRow, const QPoint &aClick, int aScrollX, int aIndent, int aLevel,
                       bool aRootDecorated, const QSize &aImage);
