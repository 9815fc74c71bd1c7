// The one-line progress of ordwell-find on a terminal's stderr: files checked and found and the
// latest path, drawn at most ten times a second; nothing when stderr is not a terminal.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <QString>
#include <QTimer>

// Main thread only.
class TFindProgress
{
public:
    // Draws on aFd (stderr: 2) when it is a terminal and aEnabled.
    explicit TFindProgress(bool aEnabled, int aFd = 2);
    // Takes the line away.
    ~TFindProgress();
    TFindProgress(const TFindProgress &) = delete;
    TFindProgress &operator=(const TFindProgress &) = delete;

    bool Active() const { return fActive; }
    // The count of files whose content has been checked, kept by the check threads.
    void SetCheckedCounter(std::shared_ptr<const std::atomic<int64_t>> aChecked)
    {
        fChecked = std::move(aChecked);
    }
    // Notes the count found and the latest path; the line shows them at its next drawing.
    void Update(int64_t aFound, const QString &aPath);
    // Takes the line away (before a result is printed on the same terminal, and at the end); the
    // next Update draws it again.
    void Clear();

private:
    void Draw();

    int fFd;
    bool fActive = false;
    bool fShown = false;
    bool fChanged = false;
    std::shared_ptr<const std::atomic<int64_t>> fChecked;
    int64_t fDrawnChecked = 0;
    int64_t fFound = 0;
    QString fPath;
    QTimer fTimer;
};
