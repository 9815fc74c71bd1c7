// TZorSelectionStateImageList: the five check-box images of the folder tree, one per
// TZorSelectionState, drawn with the widget style's own check-box primitive.
#pragma once

#include <array>
#include <QPixmap>
#include <QSize>

class QWidget;

// Index: 0 ssUnused (no box), 1 ssDisabled (unchecked, drawn disabled), 2 ssChecked,
// 3 ssUnChecked, 4 ssGrayed (checked, drawn disabled: a partly selected folder shows a dimmed
// check mark). Each image is as tall as the style's check box (the larger of its width and
// height) and 2 pixels wider, on a transparent background. UI thread.
class TZorSelectionStateImageList
{
public:
    static constexpr int kCount = 5;

    // Draws the images with aWidget's style, palette and pixel ratio.
    explicit TZorSelectionStateImageList(const QWidget &aWidget);
    // Draws them again (after a style or palette change).
    void Rebuild(const QWidget &aWidget);

    // The size of every image, in device-independent pixels.
    QSize ImageSize() const { return fSize; }
    // The image of a state index; a null pixmap outside 0..4 (a node without a state yet).
    QPixmap Image(int aIndex) const;

private:
    QSize fSize;
    std::array<QPixmap, kCount> fImages;
};
