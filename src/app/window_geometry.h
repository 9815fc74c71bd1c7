// Placement rules of the main window's home-page link and overlay notices, as plain arithmetic.
#pragma once

#include <QPoint>

// Rounds to the nearest integer, halves going to the even neighbour (9.5 -> 10, 8.5 -> 8).
int RoundHalfEven(double aValue);

// Top-left of the home-page link: its right edge 15 pixels from the client area's right edge,
// centred vertically on the status bar.
QPoint HomepageLinkPosition(int aClientWidth, int aLinkWidth, int aLinkHeight, int aStatusBarTop,
                            int aStatusBarHeight);

// Top-left of a text of the given size centred in a panel of the given size.
QPoint CentredPosition(int aPanelWidth, int aPanelHeight, int aTextWidth, int aTextHeight);
