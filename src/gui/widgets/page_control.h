// A tab widget whose tabs have one fixed height, so the option pages keep their designed size.
#pragma once

#include <QTabWidget>

class TPageControl : public QTabWidget
{
    Q_OBJECT
public:
    TPageControl(int aTabHeight, QWidget *aParent = nullptr);
};
