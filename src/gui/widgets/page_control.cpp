// A tab widget whose tabs have one fixed height, so the option pages keep their designed size.
#include "gui/widgets/page_control.h"

#include <QTabBar>

namespace {
class TFixedHeightTabBar : public QTabBar
{
public:
    TFixedHeightTabBar(int aHeight, QWidget *aParent) : QTabBar(aParent), fHeight(aHeight) {}

protected:
    QSize tabSizeHint(int aIndex) const override
    {
        QSize size = QTabBar::tabSizeHint(aIndex);
        size.setHeight(fHeight);
        return size;
    }

private:
    int fHeight;
};
} // namespace

TPageControl::TPageControl(int aTabHeight, QWidget *aParent) : QTabWidget(aParent)
{
    setTabBar(new TFixedHeightTabBar(aTabHeight, this));
}
