// The worker's notices and the status bar's progress bar, handed from the worker thread to the
// user-interface thread as queued signals: the worker never touches a widget and the window
// never waits for the worker.
#pragma once

#include <QObject>
#include <QRect>
#include <QString>
#include <atomic>

#include "document/image_job.h"

class QProgressBar;

namespace stillpix {

class JobEventBridge final : public QObject, public JobEvents {
    Q_OBJECT
public:
    void RunStarted(const std::string& statusText, bool showStatusProgress) override;
    void TileFiltered(const TileRect& inner) override;
    void RunFinished() override;
    void OpenDecoded() override;
    bool Post(std::function<void()> task) override;

Q_SIGNALS:
    void runStarted(const QString& statusText, bool showStatusProgress);
    void tileFiltered(const QRect& imageRect);  // image pixels
    void runFinished();
    void openDecoded();
};

// The status bar's progress bar as the worker sees it.
class StatusBarProgress final : public ProgressControl {
public:
    explicit StatusBarProgress(QProgressBar* bar) : bar_(bar) {}
    // On the user-interface thread: shows or hides the bar (hiding sets it to 0).
    void SetShown(bool shown);

    bool IsVisible() const override { return shown_.load(); }
    void SetPosition(int position) override;  // any thread
    int Position() const override { return position_.load(); }

private:
    QProgressBar* bar_;  // outlives every run: the window stops its worker first
    std::atomic<bool> shown_{false};
    std::atomic<int> position_{0};
};

}  // namespace stillpix
