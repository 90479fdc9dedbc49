#include "ui/job_event_bridge.h"

#include <QMetaObject>
#include <QProgressBar>

namespace stillpix {

void JobEventBridge::RunStarted(const std::string& statusText, bool showStatusProgress) {
    Q_EMIT runStarted(QString::fromStdString(statusText), showStatusProgress);
}

void JobEventBridge::TileFiltered(const TileRect& inner) {
    Q_EMIT tileFiltered(
        QRect(inner.left, inner.top, inner.right - inner.left, inner.bottom - inner.top));
}

void JobEventBridge::RunFinished() { Q_EMIT runFinished(); }

void JobEventBridge::OpenDecoded() { Q_EMIT openDecoded(); }

bool JobEventBridge::Post(std::function<void()> task) {
    return QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void StatusBarProgress::SetShown(bool shown) {
    shown_.store(shown);
    if (!shown) position_.store(0);
    if (!bar_) return;
    bar_->setValue(position_.load());
    bar_->setVisible(shown);
}

void StatusBarProgress::SetPosition(int position) {
    position = position < 0 ? 0 : position > 100 ? 100 : position;
    if (position_.exchange(position) == position || !bar_) return;
    // Posted: the bar belongs to the user-interface thread.
    QProgressBar* bar = bar_;
    QMetaObject::invokeMethod(
        bar, [bar, position] { bar->setValue(position); }, Qt::QueuedConnection);
}

}  // namespace stillpix
