#include "ui/level_box.h"

#include <QLinearGradient>
#include <QPainter>

namespace stillpix {
namespace {

constexpr int kBottomReserve = 30;
constexpr int kLabelGap = 5;
constexpr int kFullScaleLevel = 342;  // the level drawn at 100 %
constexpr int kGridLineCounts[] = {11, 6, 5, 3, 2};
const QColor kGridColour(230, 230, 230);
constexpr int kMaxCurves = 3;

// Three quarters of the way from `c` to white.
QColor Lightened(const QColor& c) {
    const auto toward = [](int v) { return 255 - ((255 - v) >> 2); };
    return QColor(toward(c.red()), toward(c.green()), toward(c.blue()));
}

}  // namespace

LevelBoxGeometry LayOutLevelBox(QSize client, int textHeight, int labelWidth, int points,
                                const std::vector<std::vector<int32_t>>& values) {
    LevelBoxGeometry g;
    const int areaHeight = std::max(0, client.height() - kBottomReserve);
    int count = kGridLineCounts[std::size(kGridLineCounts) - 1];
    for (int candidate : kGridLineCounts) {
        if (areaHeight / candidate > textHeight) {
            count = candidate;
            break;
        }
    }
    const int spacing = areaHeight / count;
    for (int k = 0; k < count; ++k) {
        g.gridY.push_back((k + 1) * spacing);
        g.gridPercent.push_back(100 + k * (-100 / (count - 1)));
    }
    const int left = labelWidth + kLabelGap;
    g.plot = QRect(QPoint(left, g.gridY.front()), QPoint(client.width() - 1, g.gridY.back()));
    const int plotHeight = g.gridY.back() - g.gridY.front();
    const int step = (client.width() - left) / (points + 1);
    for (int i = 0; i < points; ++i) g.gridX.push_back(left + (i + 1) * step);
    for (const auto& row : values) {
        std::vector<QPoint>& curve = g.curves.emplace_back();
        for (int i = 0; i < points && i < static_cast<int>(row.size()); ++i)
            curve.emplace_back(g.gridX[i], g.gridY.back() - row[i] * plotHeight / kFullScaleLevel);
    }
    return g;
}

CLevelBox::CLevelBox(QWidget* parent) : QWidget(parent) {}

void CLevelBox::SetSize(int curves, int points) {
    Reset();
    curves = std::clamp(curves, 1, kMaxCurves);
    points_ = std::max(0, points);
    values_.assign(curves, std::vector<int32_t>(points_, 0));
    colours_.assign(curves, QColor(Qt::black));
}

void CLevelBox::Reset() {
    points_ = 0;
    values_.clear();
    colours_.clear();
    update();
}

void CLevelBox::SetValue(int curve, int point, int32_t value) {
    if (curve >= 0 && curve < Curves() && point >= 0 && point < points_)
        values_[curve][point] = value;
}

int32_t CLevelBox::Value(int curve, int point) const {
    if (curve >= 0 && curve < Curves() && point >= 0 && point < points_)
        return values_[curve][point];
    return 0;
}

void CLevelBox::SetColour(int curve, QColor colour) {
    if (curve >= 0 && curve < Curves()) colours_[curve] = colour;
}

QColor CLevelBox::Colour(int curve) const {
    return curve >= 0 && curve < Curves() ? colours_[curve] : QColor(Qt::black);
}

LevelBoxGeometry CLevelBox::Geometry() const {
    const QFontMetrics metrics = fontMetrics();
    const QString widest = QStringLiteral("100%");
    return LayOutLevelBox(size(), metrics.height(), metrics.horizontalAdvance(widest), points_,
                          values_);
}

void CLevelBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor light = Lightened(palette().color(QPalette::Active, QPalette::Highlight));
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, Qt::white);
    gradient.setColorAt(1, light);
    painter.fillRect(rect(), gradient);

    const LevelBoxGeometry g = Geometry();
    painter.setPen(kGridColour);
    for (int y : g.gridY) painter.drawLine(g.plot.left(), y, g.plot.right(), y);
    for (int x : g.gridX) painter.drawLine(x, g.plot.top(), x, g.plot.bottom());
    painter.setPen(palette().color(QPalette::WindowText));
    const int textHeight = fontMetrics().height();
    for (std::size_t k = 0; k < g.gridY.size(); ++k)
        painter.drawText(
            QRect(0, g.gridY[k] - textHeight / 2, g.plot.left() - kLabelGap, textHeight),
            Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("%1%").arg(g.gridPercent[k]));
    for (std::size_t c = 0; c < g.curves.size(); ++c) {
        painter.setPen(QPen(colours_[c], 1));
        painter.drawPolyline(g.curves[c].data(), static_cast<int>(g.curves[c].size()));
    }
}

}  // namespace stillpix
