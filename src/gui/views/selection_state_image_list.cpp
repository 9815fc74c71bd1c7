// The folder tree's check-box images.
#include "gui/views/selection_state_image_list.h"

#include "selection/selection_list.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

namespace {

constexpr int kRightMargin = 2;

struct TImageLook
{
    bool Box;
    bool Checked;
    bool Enabled;
};

// By state index: ssUnused, ssDisabled, ssChecked, ssUnChecked, ssGrayed.
constexpr std::array<TImageLook, TZorSelectionStateImageList::kCount> kLooks = {{
    {false, false, false},
    {true, false, false},
    {true, true, true},
    {true, false, true},
    {true, true, false},
}};

static_assert(ssUnused == 0 && ssDisabled == 1 && ssChecked == 2 && ssUnChecked == 3 && ssGrayed == 4);

} // namespace

TZorSelectionStateImageList::TZorSelectionStateImageList(const QWidget &aWidget)
{
    Rebuild(aWidget);
}

void TZorSelectionStateImageList::Rebuild(const QWidget &aWidget)
{
    const QStyle *style = aWidget.style();
    const QSize box(style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &aWidget),
                    style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, &aWidget));
    const int height = std::max(box.width(), box.height());
    fSize = QSize(height + kRightMargin, height);
    const qreal ratio = aWidget.devicePixelRatioF();
    for (int index = 0; index < kCount; ++index) {
        QPixmap image(fSize * ratio);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        const TImageLook &look = kLooks[size_t(index)];
        if (look.Box) {
            QPainter painter(&image);
            QStyleOptionButton option;
            option.initFrom(&aWidget);
            option.rect = QRect(QPoint(0, (height - box.height()) / 2), box);
            option.state &= ~(QStyle::State_Enabled | QStyle::State_HasFocus | QStyle::State_MouseOver);
            option.state |= look.Checked ? QStyle::State_On : QStyle::State_Off;
            if (look.Enabled)
                option.state |= QStyle::State_Enabled;
            else
                option.palette.setCurrentColorGroup(QPalette::Disabled);
            style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, &aWidget);
        }
        fImages[size_t(index)] = image;
    }
}

QPixmap TZorSelectionStateImageList::Image(int aIndex) const
{
    return aIndex >= 0 && aIndex < kCount ? fImages[size_t(aIndex)] : QPixmap();
}
