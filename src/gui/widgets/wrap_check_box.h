// A check box whose caption wraps onto further lines when the box is narrower than the text.
#pragma once

#include <QCheckBox>

class QLabel;

class TWrapCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    explicit TWrapCheckBox(QWidget *aParent = nullptr);

    // The caption, drawn word-wrapped beside the box (QCheckBox::text() stays empty); an "&"
    // marks its mnemonic.
    void SetCaption(const QString &aCaption);
    QString Caption() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int aWidth) const override;

protected:
    bool hitButton(const QPoint &aPos) const override;
    void resizeEvent(QResizeEvent *aEvent) override;

private:
    int CaptionLeft() const;

    QLabel *fCaption;
};
