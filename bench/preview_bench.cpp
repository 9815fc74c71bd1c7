// Preview benchmark: how long the main window takes to show a 2 MiB text (one long line, and
// ordinary lines) with the first match selected, and to move to the next match. Built, not run
// by ctest. Run with QT_QPA_PLATFORM=offscreen (or under a display).
#include "gui/main_form/main_form.h"

#include <cstdio>
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>

namespace {

void Measure(TMainForm &aForm, const char *aName, const QString &aText)
{
    QElapsedTimer timer;
    timer.start();
    aForm.ShowPreviewText(aText);
    QApplication::processEvents();
    aForm.FPreview->repaint();
    const qint64 shown = timer.restart();
    aForm.btNextClick();
    aForm.FPreview->repaint();
    const qint64 next = timer.elapsed();
    std::printf("%-28s %8lld units: shown in %5lld ms, next match in %5lld ms\n", aName,
                static_cast<long long>(aText.size()), static_cast<long long>(shown),
                static_cast<long long>(next));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TMainForm form{TCommandLine{}};
    form.show();
    QApplication::processEvents();
    form.Session().SetTextToFind(QStringLiteral("needle"));
    const int size = 2097152;
    QString oneLine(size, u'x');
    for (int at = 1000; at + 6 < size; at += 100000)
        oneLine.replace(at, 6, QStringLiteral("needle"));
    Measure(form, "one line of 2 MiB", oneLine);
    QString lines;
    lines.reserve(size);
    while (lines.size() < size - 80)
        lines +=
            QStringLiteral("an ordinary line of text with a needle somewhere in its middle, and more\r\n");
    Measure(form, "ordinary lines, 2 MiB", lines);
    return 0;
}
