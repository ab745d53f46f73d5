#include "machining/eccentric_turning/chuck_picture.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>

namespace kvt {

namespace {

// Drawn on a 200 x 200 grid and scaled to the widget; the offset is drawn larger than
// life so that it can be seen.
constexpr double kGrid = 200.0;
constexpr double kChuckRadius = 92.0;
constexpr double kWorkRadius = 46.0;
constexpr double kOffset = 12.0;
constexpr double kShim = 16.0;

void drawJaw(QPainter& painter, double angleDegrees, double innerRadius)
{
    painter.save();
    painter.rotate(angleDegrees);
    // The jaw stands on the x axis, its face at innerRadius, its back inside the body.
    constexpr double step = 76.0;
    constexpr double back = 88.0;
    painter.setBrush(QColor(90, 90, 100));
    painter.drawRect(QRectF(innerRadius, -11.0, step - innerRadius, 22.0));
    painter.setBrush(QColor(120, 120, 132));
    painter.drawRect(QRectF(step, -15.0, back - step, 30.0));
    painter.restore();
}

} // namespace

ChuckPicture::ChuckPicture(QWidget* parent)
    : QWidget(parent)
{
    setMinimumSize(200, 200);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ChuckPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    const double scale = std::min(width(), height()) / kGrid;
    painter.translate(width() / 2.0, height() / 2.0);
    painter.scale(scale, scale);

    QPen outline(QColor(40, 40, 40));
    outline.setWidthF(1.2);
    outline.setCosmetic(true);
    painter.setPen(outline);

    // Chuck body.
    painter.setBrush(QColor(225, 228, 235));
    painter.drawEllipse(QPointF(0, 0), kChuckRadius, kChuckRadius);

    // Work, pushed down by the offset: the packing piece sits under the upper jaw.
    const QPointF work(0.0, kOffset);
    painter.setBrush(QColor(200, 215, 235));
    painter.drawEllipse(work, kWorkRadius, kWorkRadius);

    // Jaws: the upper one stands back by the shim, the other two touch the work.
    // y grows downwards, so -90 degrees is up.
    const double upperFace = kWorkRadius - kOffset + kShim;
    drawJaw(painter, -90.0, upperFace);
    for (const double angle : {30.0, 150.0}) {
        const double rad = angle * 3.14159265358979 / 180.0;
        // Distance from the chuck centre along the jaw's ray to the work's surface.
        const double along = kOffset * std::sin(rad);
        const double across = kOffset * std::cos(rad);
        const double face = along + std::sqrt(kWorkRadius * kWorkRadius - across * across);
        drawJaw(painter, angle, face);
    }

    // Packing piece between the upper jaw and the work.
    painter.setBrush(QColor(235, 150, 40));
    painter.drawRect(QRectF(-13.0, -upperFace, 26.0, kShim));

    // Largest diameter on the offset axis (dashed), centred on the chuck axis.
    QPen dashed(QColor(200, 30, 30));
    dashed.setStyle(Qt::DashLine);
    dashed.setCosmetic(true);
    painter.setPen(dashed);
    painter.setBrush(Qt::NoBrush);
    const double largest = kWorkRadius - kOffset;
    painter.drawEllipse(QPointF(0, 0), largest, largest);

    // Centre marks: the chuck axis (cross) and the work's centre (dot), e between them.
    QPen axis(QColor(20, 20, 20));
    axis.setCosmetic(true);
    painter.setPen(axis);
    painter.drawLine(QPointF(-6, 0), QPointF(6, 0));
    painter.drawLine(QPointF(0, -6), QPointF(0, 6));
    painter.setBrush(QColor(20, 20, 20));
    painter.drawEllipse(work, 2.0, 2.0);

    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    painter.drawLine(QPointF(10, 0), QPointF(10, kOffset));
    painter.drawText(QPointF(13, kOffset - 1.0), QStringLiteral("e"));
    painter.drawText(QPointF(16, -upperFace + kShim - 3.0), QStringLiteral("t"));
    painter.drawText(QPointF(-kWorkRadius + 4.0, kOffset + kWorkRadius - 8.0), QStringLiteral("D"));
}

} // namespace kvt
