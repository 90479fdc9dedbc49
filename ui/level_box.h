// CLevelBox: the noise profile graph. Up to three curves of one frequency band over the
// luminosity bins, on a gradient with a percentage grid; the level 342 stands at 100 %.
#pragma once

#include <cstdint>
#include <vector>

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QWidget>

namespace stillpix {

// Where everything of the graph lies, in widget pixels.
struct LevelBoxGeometry {
    QRect plot;                    // top: the 100 % grid line; bottom: the 0 % one
    std::vector<int> gridY;        // horizontal grid lines, top to bottom
    std::vector<int> gridPercent;  // their labels, "%d%%"
    std::vector<int> gridX;        // one vertical grid line a point
    std::vector<std::vector<QPoint>> curves;
};

// The layout of a `client`-sized graph whose label text "100%" is `textHeight` high and
// `labelWidth` wide, for `values` (one row a curve, all rows as long as `points`).
LevelBoxGeometry LayOutLevelBox(QSize client, int textHeight, int labelWidth, int points,
                                const std::vector<std::vector<int32_t>>& values);

class CLevelBox : public QWidget {
    Q_OBJECT
public:
    explicit CLevelBox(QWidget* parent = nullptr);

    // Resets the graph to `curves` (1..3) curves of `points` values, all 0 and black.
    void SetSize(int curves, int points);
    void Reset();
    int Curves() const { return static_cast<int>(values_.size()); }
    int Points() const { return points_; }
    // Out-of-range curves and points are ignored (and read as 0 or black).
    void SetValue(int curve, int point, int32_t value);
    int32_t Value(int curve, int point) const;
    void SetColour(int curve, QColor colour);
    QColor Colour(int curve) const;

    LevelBoxGeometry Geometry() const;
    QSize sizeHint() const override { return {200, 150}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int points_ = 0;
    std::vector<std::vector<int32_t>> values_;
    std::vector<QColor> colours_;
};

}  // namespace stillpix
