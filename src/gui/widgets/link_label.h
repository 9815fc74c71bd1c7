// A text label that acts as a web-style link: hand cursor, underlined except under the pointer,
// reached with Tab and followed with Enter or Space.
#pragma once

#include <QLabel>

class TLinkLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TLinkLabel(QWidget *aParent = nullptr);

Q_SIGNALS:
    // Emitted on the UI thread when the left button is released over the label, or Enter or
    // Space is pressed while it has the focus.
    void Clicked();

protected:
    void enterEvent(QEnterEvent *aEvent) override;
    void leaveEvent(QEvent *aEvent) override;
    void mouseReleaseEvent(QMouseEvent *aEvent) override;
    void keyPressEvent(QKeyEvent *aEvent) override;
    void paintEvent(QPaintEvent *aEvent) override;

private:
    void SetUnderlined(bool aUnderlined);
};
