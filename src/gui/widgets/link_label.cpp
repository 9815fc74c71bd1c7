// A text label that acts as a web-style link: hand cursor, underlined except under the pointer.
#include "gui/widgets/link_label.h"

#include <QMouseEvent>

TLinkLabel::TLinkLabel(QWidget *aParent) : QLabel(aParent)
{
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
    SetUnderlined(true);
}

void TLinkLabel::enterEvent(QEnterEvent *aEvent)
{
    SetUnderlined(false);
    QLabel::enterEvent(aEvent);
}

void TLinkLabel::leaveEvent(QEvent *aEvent)
{
    SetUnderlined(true);
    QLabel::leaveEvent(aEvent);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent *aEvent)
{
    QLabel::mouseReleaseEvent(aEvent);
    if (aEvent->button() == Qt::LeftButton && rect().contains(aEvent->position().toPoint()))
        Q_EMIT Clicked();
}

void TLinkLabel::SetUnderlined(bool aUnderlined)
{
    QFont linkFont = font();
    linkFont.setUnderline(aUnderlined);
    setFont(linkFont);
}
