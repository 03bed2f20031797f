#include "tools/icon/IconArt.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>

namespace fwut::icon {

namespace {

const QColor kBody(38, 70, 120);
const QColor kBodyEdge(16, 32, 64);
const QColor kFace(214, 224, 236);
const QColor kWave(0, 150, 220);
const QColor kArrow(0, 140, 40);
const QColor kRedLight(220, 30, 30);
const QColor kGreenLight(40, 200, 60);

// Drawing in a 32-unit square keeps both sizes one drawing.
void DrawModule(QPainter& painter)
{
    painter.setPen(QPen(kBodyEdge, 1.2));
    painter.setBrush(kBody);
    painter.drawRoundedRect(QRectF(3.5, 11.5, 20, 19), 3, 3);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kFace);
    painter.drawRect(QRectF(6, 14, 15, 10));

    painter.setBrush(kRedLight);
    painter.drawEllipse(QRectF(7, 25.5, 3.5, 3.5));
    painter.setBrush(kGreenLight);
    painter.drawEllipse(QRectF(12, 25.5, 3.5, 3.5));

    painter.setPen(QPen(kBodyEdge, 2.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(18, 11.5), QPointF(18, 6));
}

void DrawWaves(QPainter& painter)
{
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kWave, 2.0, Qt::SolidLine, Qt::RoundCap));
    const QPointF centre(18, 6);
    for (double radius : {4.5, 9.0}) {
        const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
        painter.drawArc(box, -40 * 16, 80 * 16);
    }
}

void DrawArrow(QPainter& painter)
{
    QPainterPath arrow;
    arrow.moveTo(11.5, 14.5);
    arrow.lineTo(15.5, 14.5);
    arrow.lineTo(15.5, 18.5);
    arrow.lineTo(18.5, 18.5);
    arrow.lineTo(13.5, 23.5);
    arrow.lineTo(8.5, 18.5);
    arrow.lineTo(11.5, 18.5);
    arrow.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(kArrow);
    painter.drawPath(arrow);
}

}  // namespace

QImage DrawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);
    DrawModule(painter);
    DrawWaves(painter);
    DrawArrow(painter);
    return image;
}

QImage ToPalettized(const QImage& picture)
{
    // An icon's mask is one bit: a pixel is either shown or not. Hidden
    // pixels take a colour the picture uses anyway, so they cost no entry.
    const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
    QImage opaque = source.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            if (qAlpha(source.pixel(x, y)) < 128) {
                opaque.setPixel(x, y, kBody.rgb());
            }
        }
    }
    const QImage reduced = opaque.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);

    QList<QRgb> table{qRgba(0, 0, 0, 0)};
    QHash<QRgb, uint> indexOf;
    QImage result(source.size(), QImage::Format_Indexed8);
    result.setColorTable(QList<QRgb>(256, qRgba(0, 0, 0, 0)));
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            if (qAlpha(source.pixel(x, y)) < 128) {
                result.setPixel(x, y, 0);
                continue;
            }
            const QRgb colour = reduced.color(reduced.pixelIndex(x, y)) | 0xFF000000u;
            auto found = indexOf.find(colour);
            if (found == indexOf.end()) {
                found = indexOf.insert(colour, static_cast<uint>(table.size()));
                table.push_back(colour);
            }
            result.setPixel(x, y, found.value());
        }
    }
    if (table.size() > 256) {
        return QImage();
    }
    result.setColorTable(table);
    return result;
}

}  // namespace fwut::icon
