#include "ui/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace stillpix {

namespace {

// Drawn on a 32 x 32 grid and scaled, so each size comes from the same strokes.
constexpr qreal kGrid = 32;
const QColor kInk(0x36, 0x3b, 0x42);
const QColor kPaper(0xfb, 0xfb, 0xf8);
const QColor kFolder(0xe8, 0xb8, 0x4a);
const QColor kBlue(0x3a, 0x78, 0xc8);
const QColor kGreen(0x3f, 0x9e, 0x4d);

QPen Ink(qreal width = 2) { return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void Page(QPainter& p, const QRectF& r) {
    p.setPen(Ink());
    p.setBrush(kPaper);
    p.drawRect(r);
}

void Magnifier(QPainter& p, bool plus) {
    p.setPen(QPen(kInk, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 19), QPointF(28, 28));
    p.setPen(Ink(2.5));
    p.setBrush(QColor(0xdd, 0xea, 0xf7));
    p.drawEllipse(QPointF(13, 13), 9.5, 9.5);
    p.setPen(QPen(kBlue, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8.5, 13), QPointF(17.5, 13));
    if (plus) p.drawLine(QPointF(13, 8.5), QPointF(13, 17.5));
}

void Draw(QPainter& p, ToolbarGlyph glyph) {
    switch (glyph) {
        case ToolbarGlyph::kOpen: {
            p.setPen(Ink());
            p.setBrush(kFolder.darker(115));
            p.drawPolygon(QPolygonF({{3, 7}, {12, 7}, {15, 10}, {27, 10}, {27, 26}, {3, 26}}));
            p.setBrush(kFolder);
            p.drawPolygon(QPolygonF({{3, 26}, {8, 14}, {30, 14}, {26, 26}}));
            break;
        }
        case ToolbarGlyph::kSave: {
            p.setPen(Ink());
            p.setBrush(kBlue);
            p.drawPolygon(QPolygonF({{4, 4}, {24, 4}, {28, 8}, {28, 28}, {4, 28}}));
            p.setBrush(kPaper);
            p.drawRect(QRectF(9, 4, 13, 8));
            p.drawRect(QRectF(8, 17, 16, 11));
            p.setPen(Ink(1.5));
            p.drawLine(QPointF(11, 21), QPointF(21, 21));
            p.drawLine(QPointF(11, 24.5), QPointF(21, 24.5));
            break;
        }
        case ToolbarGlyph::kUndo: {
            QPainterPath arc;
            arc.moveTo(9, 13);
            arc.cubicTo(20, 5, 31, 12, 27, 22);
            arc.cubicTo(25, 26, 20, 28, 16, 28);
            p.setPen(QPen(kBlue, 4, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
            p.drawPath(arc);
            p.setPen(Ink(1.5));
            p.setBrush(kBlue);
            p.drawPolygon(QPolygonF({{3, 15}, {13, 5}, {15, 18}}));
            break;
        }
        case ToolbarGlyph::kCopy:
            Page(p, QRectF(4, 3, 15, 19));
            Page(p, QRectF(13, 10, 15, 19));
            p.setPen(Ink(1.5));
            for (qreal y : {15.0, 19.0, 23.0}) p.drawLine(QPointF(16, y), QPointF(25, y));
            break;
        case ToolbarGlyph::kPaste:
            p.setPen(Ink());
            p.setBrush(QColor(0xb0, 0x84, 0x52));
            p.drawRoundedRect(QRectF(4, 5, 20, 24), 2, 2);
            p.setBrush(QColor(0xc8, 0xcc, 0xd2));
            p.drawRoundedRect(QRectF(9, 2, 10, 6), 1.5, 1.5);
            Page(p, QRectF(13, 12, 15, 18));
            p.setPen(Ink(1.5));
            for (qreal y : {17.0, 21.0, 25.0}) p.drawLine(QPointF(16, y), QPointF(25, y));
            break;
        case ToolbarGlyph::kZoomIn: Magnifier(p, true); break;
        case ToolbarGlyph::kZoomOut: Magnifier(p, false); break;
        case ToolbarGlyph::kNoiseFilter: {
            // Three sliders at different settings.
            const qreal knobs[3] = {20, 10, 16};
            for (int i = 0; i < 3; ++i) {
                const qreal x = 7 + i * 9;
                p.setPen(QPen(kInk, 2.5, Qt::SolidLine, Qt::RoundCap));
                p.drawLine(QPointF(x, 4), QPointF(x, 28));
                p.setPen(Ink(1.5));
                p.setBrush(i == 1 ? kGreen : kBlue);
                p.drawRoundedRect(QRectF(x - 4, knobs[i] - 3, 8, 6), 1.5, 1.5);
            }
            break;
        }
        case ToolbarGlyph::kExif: {
            // A camera with its shooting data.
            p.setPen(Ink());
            p.setBrush(QColor(0x5b, 0x63, 0x6e));
            p.drawRoundedRect(QRectF(3, 9, 26, 18), 3, 3);
            p.drawRect(QRectF(10, 5, 10, 4));
            p.setBrush(kPaper);
            p.drawEllipse(QPointF(16, 18), 6, 6);
            p.setBrush(kBlue);
            p.drawEllipse(QPointF(16, 18), 3, 3);
            break;
        }
        case ToolbarGlyph::kNoiseProfile: {
            p.setPen(Ink());
            p.setBrush(kPaper);
            p.drawRect(QRectF(3, 3, 26, 26));
            p.setPen(QPen(QColor(0xc0, 0xc4, 0xca), 1));
            for (qreal g : {10.0, 16.0, 22.0}) {
                p.drawLine(QPointF(4, g), QPointF(28, g));
                p.drawLine(QPointF(g, 4), QPointF(g, 28));
            }
            QPainterPath curve;
            curve.moveTo(5, 24);
            curve.cubicTo(11, 8, 18, 8, 27, 14);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(kBlue, 2.5, Qt::SolidLine, Qt::RoundCap));
            p.drawPath(curve);
            QPainterPath second;
            second.moveTo(5, 27);
            second.cubicTo(12, 18, 19, 18, 27, 22);
            p.setPen(QPen(QColor(0xd0, 0x4a, 0x3a), 2.5, Qt::SolidLine, Qt::RoundCap));
            p.drawPath(second);
            break;
        }
        case ToolbarGlyph::kPreview: {
            // An eye.
            QPainterPath eye;
            eye.moveTo(2, 16);
            eye.quadTo(16, 2, 30, 16);
            eye.quadTo(16, 30, 2, 16);
            p.setPen(Ink());
            p.setBrush(kPaper);
            p.drawPath(eye);
            p.setBrush(kBlue);
            p.drawEllipse(QPointF(16, 16), 6, 6);
            p.setBrush(kInk);
            p.setPen(Qt::NoPen);
            p.drawEllipse(QPointF(16, 16), 2.5, 2.5);
            break;
        }
        case ToolbarGlyph::kBrowser:
            // A grid of thumbnails.
            p.setPen(Ink(1.5));
            for (int row = 0; row < 2; ++row)
                for (int col = 0; col < 2; ++col) {
                    p.setBrush(row == col ? kBlue.lighter(140) : kGreen.lighter(150));
                    p.drawRect(QRectF(3 + col * 14, 4 + row * 13, 12, 11));
                }
            break;
        case ToolbarGlyph::kBatch:
            // A stack of pictures.
            for (int i = 2; i >= 0; --i) {
                p.setPen(Ink(1.5));
                p.setBrush(i == 0 ? kBlue.lighter(140) : kPaper);
                p.drawRect(QRectF(3 + i * 4, 13 - i * 4, 18, 15));
            }
            p.setPen(QPen(kGreen.darker(120), 2.5));
            p.drawLine(QPointF(5, 25), QPointF(11, 19));
            p.drawLine(QPointF(11, 19), QPointF(19, 25));
            break;
        case ToolbarGlyph::kGo:
            p.setPen(Ink(1.5));
            p.setBrush(kGreen);
            p.drawPolygon(QPolygonF({{8, 4}, {28, 16}, {8, 28}}));
            break;
    }
}

// The freedesktop icon names where there is one; the pane toggles take the names the
// common themes give such pictures.
const char* ThemeName(ToolbarGlyph glyph) {
    switch (glyph) {
        case ToolbarGlyph::kOpen: return "document-open";
        case ToolbarGlyph::kSave: return "document-save-as";
        case ToolbarGlyph::kUndo: return "edit-undo";
        case ToolbarGlyph::kCopy: return "edit-copy";
        case ToolbarGlyph::kPaste: return "edit-paste";
        case ToolbarGlyph::kZoomIn: return "zoom-in";
        case ToolbarGlyph::kZoomOut: return "zoom-out";
        case ToolbarGlyph::kNoiseFilter: return "configure";
        case ToolbarGlyph::kExif: return "document-properties";
        case ToolbarGlyph::kNoiseProfile: return "office-chart-line";
        case ToolbarGlyph::kPreview: return "view-preview";
        case ToolbarGlyph::kBrowser: return "folder-pictures";
        case ToolbarGlyph::kBatch: return "view-media-playlist";
        case ToolbarGlyph::kGo: return "media-playback-start";
    }
    return "";
}

}  // namespace

QIcon DrawnToolbarIcon(ToolbarGlyph glyph) {
    QIcon icon;
    for (int size : {16, 22, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / kGrid, size / kGrid);
        Draw(painter, glyph);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon ToolbarIcon(ToolbarGlyph glyph) {
    return QIcon::fromTheme(QString::fromLatin1(ThemeName(glyph)), DrawnToolbarIcon(glyph));
}

}  // namespace stillpix
