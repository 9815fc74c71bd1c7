// Spin buttons bound to an edit box, like a classic up-down control: the arrows step the number
// in the edit box within a range, while the box itself still accepts any text.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

class TUpDown : public QWidget
{
    Q_OBJECT
public:
    TUpDown(QLineEdit *aBuddy, int aMin, int aMax, QWidget *aParent = nullptr);

    int Minimum() const { return fMin; }
    int Maximum() const { return fMax; }
    // Adds aDelta to the buddy's number (a text that is no number counts as the minimum) and
    // writes the result, kept within the range, back into the buddy. UI thread only.
    void Step(int aDelta);

private:
    QLineEdit *fBuddy;
    int fMin;
    int fMax;
};
