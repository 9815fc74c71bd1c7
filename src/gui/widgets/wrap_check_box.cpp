// A check box whose caption wraps onto further lines when the box is narrower than the text.
#include "gui/widgets/wrap_check_box.h"

#include <QLabel>
#include <QStyle>
#include <QStyleOptionButton>

TWrapCheckBox::TWrapCheckBox(QWidget *aParent) : QCheckBox(aParent), fCaption(new QLabel(this))
{
    fCaption->setTextFormat(Qt::PlainText);
    fCaption->setWordWrap(true);
    fCaption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    fCaption->setAttribute(Qt::WA_TransparentForMouseEvents);
    // A mnemonic in the caption ticks the box.
    fCaption->setBuddy(this);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void TWrapCheckBox::SetCaption(const QString &aCaption)
{
    fCaption->setText(aCaption);
    updateGeometry();
}

QString TWrapCheckBox::Caption() const
{
    return fCaption->text();
}

int TWrapCheckBox::CaptionLeft() const
{
    return style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this) +
           style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, this);
}

QSize TWrapCheckBox::sizeHint() const
{
    const QSize caption = fCaption->sizeHint();
    return {CaptionLeft() + caption.width(), qMax(QCheckBox::sizeHint().height(), caption.height())};
}

QSize TWrapCheckBox::minimumSizeHint() const
{
    return {CaptionLeft() + fontMetrics().averageCharWidth() * 10, QCheckBox::minimumSizeHint().height()};
}

int TWrapCheckBox::heightForWidth(int aWidth) const
{
    return qMax(QCheckBox::sizeHint().height(), fCaption->heightForWidth(qMax(1, aWidth - CaptionLeft())));
}

bool TWrapCheckBox::hitButton(const QPoint &aPos) const
{
    return rect().contains(aPos);
}

void TWrapCheckBox::resizeEvent(QResizeEvent *aEvent)
{
    QCheckBox::resizeEvent(aEvent);
    const int left = CaptionLeft();
    fCaption->setGeometry(left, 0, qMax(1, width() - left), heightForWidth(width()));
}
