// A text label that acts as a web-style link: hand cursor, underlined except under the pointer,
// reached with Tab and followed with Enter or Space.
#include "gui/widgets/link_label.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

TLinkLabel::TLinkLabel(QWidget *aParent) : QLabel(aParent)
{
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
    SetUnderlined(true);
    setFocusPolicy(Qt::TabFocus);
}

void TLinkLabel::keyPressEvent(QKeyEvent *aEvent)
{
    switch (aEvent->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        Q_EMIT Clicked();
        return;
    default:
        QLabel::keyPressEvent(aEvent);
    }
}

void TLinkLabel::paintEvent(QPaintEvent *aEvent)
{
    QLabel::paintEvent(aEvent);
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = contentsRect();
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
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
