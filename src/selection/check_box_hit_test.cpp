// The check-box hit test of the folder tree.
#include "selection/check_box_hit_test.h"

bool IsClickOnCheckBox(const QRect &aRow, const QPoint &aClick, int aScrollX, int aIndent, int aLevel,
                       bool aRootDecorated, const QSize &aImage)
{
    const int boxLeft = aRow.left() + aIndent * (aLevel + (aRootDecorated ? 1 : 0));
    const int x = aClick.x() + aScrollX;
    const int gap = (aRow.height() - aImage.height()) / 2;
    // QRect::bottom() is the last row of pixels inside; the exclusive edge is one below it.
    const int rowBottom = aRow.top() + aRow.height();
    return boxLeft <= x && x < boxLeft + aImage.width() && aRow.top() + gap <= aClick.y() &&
           aClick.y() <= rowBottom - gap;
}
