#include "ui/noise_cleaner_view.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace stillpix {

namespace {

constexpr int kTimerMilliseconds = 200;
constexpr int kLineImagePixels = 20;

// The display bitmap as the painter reads it, without a copy: its rows bottom-up, so row r of
// this image is the picture's row height - 1 - r.
QImage WrapDisplay(const DisplayBitmap& display) {
    const QImage::Format format =
        display.bitCount == 8 ? QImage::Format_Grayscale8 : QImage::Format_BGR888;
    return QImage(display.bits.data(), display.width, display.height, display.stride, format);
}

}  // namespace

CNoiseCleanerView::CNoiseCleanerView(CNoiseCleanerDoc& doc, const AppOptions& options,
                                     QWidget* parent)
    : QAbstractScrollArea(parent), doc_(doc), options_(options) {
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFrameShape(QFrame::NoFrame);
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
        connect(bar, &QScrollBar::sliderReleased, this, [this] { doc_.RestartCountdown(); });
    connect(&timer_, &QTimer::timeout, this, &CNoiseCleanerView::OnTimer);
    timer_.start(kTimerMilliseconds);
}

ViewSize CNoiseCleanerView::ImageSize() const {
    const CBitmapEx* image = doc_.Image();
    return image && image->Valid() ? ViewSize{image->Width(), image->Height()} : ViewSize{};
}

ViewSize CNoiseCleanerView::ClientSize() const {
    return {viewport()->width(), viewport()->height()};
}

DrawPlan CNoiseCleanerView::Plan() const {
    return PlanDrawing(ImageSize(), ClientSize(), zoom_, horizontalScrollBar()->value(),
                       verticalScrollBar()->value());
}

void CNoiseCleanerView::UpdateScrollBars() {
    const ViewSize image = ImageSize();
    const ViewSize client = ClientSize();
    const int step = std::max(1, zoom_ * kLineImagePixels / 100);
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    h->setRange(0, std::max(0, Scaled(image.width, zoom_) - client.width));
    v->setRange(0, std::max(0, Scaled(image.height, zoom_) - client.height));
    h->setSingleStep(step);
    v->setSingleStep(step);
    h->setPageStep(std::max(1, client.width));
    v->setPageStep(std::max(1, client.height));
}

void CNoiseCleanerView::SetZoom(int value, bool keepPosition) {
    const ViewSize image = ImageSize();
    const ViewSize client = ClientSize();
    const int zoom = value == kBestFit ? BestFitZoom(image, client) : value;
    if (zoom < kMinZoom || zoom > kMaxZoom) return;
    int x = horizontalScrollBar()->value();
    int y = verticalScrollBar()->value();
    if (!keepPosition) {
        x = KeepCentre(x, client.width, Scaled(image.width, zoom_), Scaled(image.width, zoom));
        y = KeepCentre(y, client.height, Scaled(image.height, zoom_), Scaled(image.height, zoom));
    }
    showingUnprocessed_ = false;
    zoom_ = zoom;
    UpdateScrollBars();
    // Scroll bars clamp to their range, so no position comes out negative.
    const QSignalBlocker blockH(horizontalScrollBar());
    const QSignalBlocker blockV(verticalScrollBar());
    horizontalScrollBar()->setValue(WholePixelScroll(x, zoom_));
    verticalScrollBar()->setValue(WholePixelScroll(y, zoom_));
    visible_ = Plan().image;
    doc_.RestartCountdown();
    viewport()->update();
    Q_EMIT zoomChanged(zoom_);
}

void CNoiseCleanerView::OnInitialUpdate() {
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    // The first showing always takes the option, even when the last image had the same zoom.
    zoom_ = 100;
    SetZoom(DefaultZoomRequest(options_.settings.defaultZoom), true);
    doc_.OnFirstShown();
    UpdateCursor();
}

void CNoiseCleanerView::OnImageClosed() {
    EndDrag();
    visible_ = {};
    UpdateScrollBars();
    viewport()->update();
    UpdateCursor();
}

void CNoiseCleanerView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), palette().color(QPalette::Dark));
    const CBitmapEx* image = doc_.Image();
    if (!image || !image->Valid()) return;
    const DrawPlan plan = Plan();
    if (RectEmpty(plan.image)) return;
    if (!showingUnprocessed_) visible_ = plan.image;
    const CBitmapEx& shown =
        showingUnprocessed_ && image->Unprocessed() ? *image->Unprocessed() : *image;
    const DisplayBitmap& display = shown.Display();
    const QImage wrapped = WrapDisplay(display);
    const QRect source(plan.image.left, display.height - plan.image.bottom,
                       plan.image.right - plan.image.left, plan.image.bottom - plan.image.top);
    // Flipped once more on the way to the screen; only the visible part is read.
    painter.translate(plan.destLeft, plan.destTop + plan.destHeight);
    painter.scale(1, -1);
    painter.drawImage(QRect(0, 0, plan.destWidth, plan.destHeight), wrapped, source);
}

void CNoiseCleanerView::RedrawImageRect(const QRect& imageRect) {
    const DrawPlan plan = Plan();
    if (RectEmpty(plan.image)) return;
    const int pixel = std::max(1, zoom_ / 100);
    const QRect shown(plan.destLeft + Scaled(imageRect.left() - plan.image.left, zoom_),
                      plan.destTop + Scaled(imageRect.top() - plan.image.top, zoom_),
                      Scaled(imageRect.width(), zoom_) + 2 * pixel,
                      Scaled(imageRect.height(), zoom_) + 2 * pixel);
    viewport()->update(shown.adjusted(-pixel, -pixel, 0, 0));
}

void CNoiseCleanerView::UpdateCursor() {
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (doc_.WorkerRunning()) {
        if (!doc_.Job().profileJob.load()) shape = Qt::WaitCursor;
    } else if (doc_.HasImage()) {
        shape = showingUnprocessed_ ? Qt::ClosedHandCursor : Qt::OpenHandCursor;
    }
    viewport()->setCursor(shape);
}

void CNoiseCleanerView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !doc_.HasImage() || doc_.WorkerRunning()) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    dragging_ = true;
    showingUnprocessed_ = true;
    dragPoint_ = event->position().toPoint();
    viewport()->update();
    UpdateCursor();
}

void CNoiseCleanerView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        UpdateCursor();
        return;
    }
    const QPoint at = event->position().toPoint();
    const ViewSize image = ImageSize();
    const ViewSize client = ClientSize();
    // An image smaller than the window stays centred.
    const int dx = Scaled(image.width, zoom_) < client.width ? 0 : dragPoint_.x() - at.x();
    const int dy = Scaled(image.height, zoom_) < client.height ? 0 : dragPoint_.y() - at.y();
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + dx);
    verticalScrollBar()->setValue(verticalScrollBar()->value() + dy);
    dragPoint_ = at;
}

void CNoiseCleanerView::EndDrag() {
    if (!dragging_) return;
    dragging_ = false;
    showingUnprocessed_ = false;
    if (!doc_.WorkerRunning()) viewport()->update();
    UpdateCursor();
    doc_.RestartCountdown();
}

void CNoiseCleanerView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) EndDrag();
    else QAbstractScrollArea::mouseReleaseEvent(event);
}

void CNoiseCleanerView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const int delta = event->angleDelta().y();
    if (delta > 0 && CanZoomIn()) ZoomIn();
    if (delta < 0 && CanZoomOut()) ZoomOut();
    event->accept();
}

void CNoiseCleanerView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    visible_ = Plan().image;
    doc_.RestartCountdown();
}

void CNoiseCleanerView::scrollContentsBy(int, int) {
    visible_ = Plan().image;
    viewport()->update();
    // While a scroll bar is dragged nothing is started; its release restarts the countdown.
    if (horizontalScrollBar()->isSliderDown() || verticalScrollBar()->isSliderDown())
        doc_.StopPendingWork();
    else doc_.RestartCountdown();
}

void CNoiseCleanerView::contextMenuEvent(QContextMenuEvent* event) {
    EndDrag();
    if (contextMenu_) contextMenu_->exec(event->globalPos());
}

void CNoiseCleanerView::OnTimer() {
    if (doc_.OnPreviewTimer(visible_)) UpdateCursor();
}

}  // namespace stillpix
