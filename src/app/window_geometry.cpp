// Placement rules of the main window's home-page link and overlay notices, as plain arithmetic.
#include "app/window_geometry.h"

#include <cmath>

int RoundHalfEven(double aValue)
{
    const double lower = std::floor(aValue);
    const double fraction = aValue - lower;
    if (fraction > 0.5)
        return static_cast<int>(lower) + 1;
    if (fraction < 0.5)
        return static_cast<int>(lower);
    return std::fmod(lower, 2.0) == 0.0 ? static_cast<int>(lower) : static_cast<int>(lower) + 1;
}

QPoint HomepageLinkPosition(int aClientWidth, int aLinkWidth, int aLinkHeight, int aStatusBarTop,
                            int aStatusBarHeight)
{
    return {aClientWidth - aLinkWidth - 15, aStatusBarTop + aStatusBarHeight -
                                                RoundHalfEven(aStatusBarHeight / 2.0) -
                                                RoundHalfEven(aLinkHeight / 2.0)};
}

QPoint CentredPosition(int aPanelWidth, int aPanelHeight, int aTextWidth, int aTextHeight)
{
    return {RoundHalfEven(aPanelWidth / 2.0) - RoundHalfEven(aTextWidth / 2.0),
            RoundHalfEven(aPanelHeight / 2.0) - RoundHalfEven(aTextHeight / 2.0)};
}
