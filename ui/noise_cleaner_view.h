// CNoiseCleanerView: the scrolling image view in the middle of the main window. Zooms in fixed
// steps, pans by dragging, tells the document which part of the image is visible, drives the
// preview countdown with its 200-ms timer and shows the unprocessed image while the left button
// is held.
#pragma once

#include <QAbstractScrollArea>
#include <QTimer>

#include "document/noise_cleaner_doc.h"
#include "ui/view_geometry.h"

class QMenu;

namespace stillpix {

class CNoiseCleanerView : public QAbstractScrollArea {
    Q_OBJECT
public:
    CNoiseCleanerView(CNoiseCleanerDoc& doc, const AppOptions& options, QWidget* parent);

    int Zoom() const { return zoom_; }
    // 0 is Best Fit; anything else outside 25..400 is ignored. Unless `keepPosition`, the
    // centre of the client area stays on the same image point.
    void SetZoom(int value, bool keepPosition = false);
    bool CanZoomIn() const { return doc_.HasImage() && zoom_ < kMaxZoom; }
    bool CanZoomOut() const { return doc_.HasImage() && zoom_ > kMinZoom; }
    void ZoomIn() { SetZoom(zoom_ * 2); }
    void ZoomOut() { SetZoom(zoom_ / 2); }

    // A new image is shown: the default zoom from the top left, then its profile run.
    void OnInitialUpdate();
    // The image is gone.
    void OnImageClosed();

    // The image pixels drawn last (while not showing the unprocessed image).
    const TileRect& VisibleRect() const { return visible_; }
    bool ShowingUnprocessed() const { return showingUnprocessed_; }
    // Redraws the part of the viewport that shows `imageRect` (a finished tile).
    void RedrawImageRect(const QRect& imageRect);
    // Follows the worker: wait cursor while it filters, the hover cursor over an image.
    void UpdateCursor();
    void SetContextMenu(QMenu* menu) { contextMenu_ = menu; }

Q_SIGNALS:
    void zoomChanged(int zoom);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    ViewSize ImageSize() const;
    ViewSize ClientSize() const;
    DrawPlan Plan() const;
    void UpdateScrollBars();
    void EndDrag();
    void OnTimer();

    CNoiseCleanerDoc& doc_;
    const AppOptions& options_;
    int zoom_ = 100;
    bool showingUnprocessed_ = false;
    bool dragging_ = false;
    QPoint dragPoint_;
    TileRect visible_;
    QTimer timer_;
    QMenu* contextMenu_ = nullptr;
};

}  // namespace stillpix
