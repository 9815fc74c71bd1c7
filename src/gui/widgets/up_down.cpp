// Spin buttons bound to an edit box, like a classic up-down control.
#include "gui/widgets/up_down.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QToolButton *MakeArrow(Qt::ArrowType aArrow, QWidget *aParent)
{
    auto *button = new QToolButton(aParent);
    button->setArrowType(aArrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(17, 11);
    return button;
}
} // namespace

TUpDown::TUpDown(QLineEdit *aBuddy, int aMin, int aMax, QWidget *aParent)
    : QWidget(aParent), fBuddy(aBuddy), fMin(aMin), fMax(aMax)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    QToolButton *up = MakeArrow(Qt::UpArrow, this);
    QToolButton *down = MakeArrow(Qt::DownArrow, this);
    layout->addWidget(up);
    layout->addWidget(down);
    connect(up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TUpDown::Step(int aDelta)
{
    bool ok = false;
    const qint64 current = fBuddy->text().trimmed().toLongLong(&ok);
    const qint64 next = (ok ? current : fMin) + aDelta;
    fBuddy->setText(QString::number(qBound(qint64(fMin), next, qint64(fMax))));
}
