#include "machining/cut_to_length/cut_setup_picture.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace kvt {

namespace {

// Drawn on a 320 x 170 grid and scaled to the widget.
constexpr double kWidth = 320.0;
constexpr double kHeight = 170.0;
constexpr double kPartTop = 40.0;
constexpr double kPartBottom = 100.0;
constexpr double kWanted = 130.0; // A on the drawing
constexpr double kTool = 24.0; // W on the drawing

void arrowHead(QPainter& painter, QPointF tip, double direction)
{
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(tip + QPointF(-7.0 * direction, -4.0));
    head.lineTo(tip + QPointF(-7.0 * direction, 4.0));
    head.closeSubpath();
    painter.fillPath(head, painter.pen().color());
}

} // namespace

CutSetupPicture::CutSetupPicture(QWidget* parent)
    : QWidget(parent)
{
    setMinimumSize(260, 140);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void CutSetupPicture::setSetup(CutOperation operation, AxisOrigin origin, SideB side)
{
    m_operation = operation;
    m_origin = origin;
    m_side = side;
    update();
}

void CutSetupPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    const double scale = std::min(width() / kWidth, height() / kHeight);
    painter.translate((width() - kWidth * scale) / 2.0, (height() - kHeight * scale) / 2.0);
    painter.scale(scale, scale);

    QPen outline(QColor(40, 40, 40));
    outline.setCosmetic(true);
    outline.setWidthF(1.2);
    painter.setPen(outline);
    QFont font = painter.font();
    font.setPixelSize(12);
    painter.setFont(font);

    const bool lathe = m_operation == CutOperation::LatheParting;
    // Side B, where the length is measured from, is on the right for the lathe (the
    // face of the bar) and for milling from the right.
    const bool startRight = m_operation != CutOperation::MillFromLeft;
    const double edgeB = startRight ? 250.0 : 70.0;
    const double toward = startRight ? -1.0 : 1.0; // from B along the part
    const double cut = edgeB + toward * kWanted;

    if (lathe) {
        // Chuck jaws holding the bar on the left.
        painter.setBrush(QColor(120, 120, 132));
        painter.drawRect(QRectF(10.0, kPartTop - 18.0, 30.0, 18.0));
        painter.drawRect(QRectF(10.0, kPartBottom, 30.0, 18.0));
        painter.setBrush(QColor(200, 215, 235));
        painter.drawRect(QRectF(10.0, kPartTop, edgeB - 10.0, kPartBottom - kPartTop));
        // Parting tool coming down beside the part.
        painter.setBrush(QColor(235, 150, 40));
        painter.drawRect(QRectF(cut - kTool, 8.0, kTool, kPartTop + 22.0 - 8.0));
    } else {
        // The raw blank, longer than the part by the infeed.
        const double rawEnd = cut + toward * (kTool + 26.0);
        painter.setBrush(QColor(200, 215, 235));
        painter.drawRect(QRectF(std::min(edgeB, rawEnd), kPartTop, std::abs(rawEnd - edgeB), kPartBottom - kPartTop));
        // The end mill seen from above, its edge on the cut line.
        painter.setBrush(QColor(235, 150, 40));
        const QPointF centre(cut + toward * kTool / 2.0, (kPartTop + kPartBottom) / 2.0);
        painter.drawEllipse(centre, kTool / 2.0, kTool / 2.0);
        painter.drawText(QRectF(centre.x() - 10.0, kPartTop - 18.0, 20.0, 14.0), Qt::AlignCenter, QStringLiteral("W"));
    }

    // Side B: a raw face is drawn ragged, a finished one straight and thick.
    if (m_side == SideB::Raw || lathe) {
        QPainterPath ragged;
        ragged.moveTo(edgeB, kPartTop);
        for (int i = 1; i <= 6; ++i)
            ragged.lineTo(edgeB + ((i % 2) ? 4.0 : -4.0) * toward, kPartTop + i * (kPartBottom - kPartTop) / 6.0);
        QPen rough(QColor(180, 30, 30));
        rough.setCosmetic(true);
        rough.setWidthF(lathe ? 1.2 : 2.0);
        painter.setPen(rough);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(ragged);
    } else {
        QPen finished(QColor(20, 120, 20));
        finished.setCosmetic(true);
        finished.setWidthF(3.0);
        painter.setPen(finished);
        painter.drawLine(QPointF(edgeB, kPartTop), QPointF(edgeB, kPartBottom));
    }
    painter.setPen(outline);
    painter.drawText(QRectF(edgeB - 10.0, kPartTop - 18.0, 20.0, 14.0), Qt::AlignCenter, QStringLiteral("B"));

    // Dimension A from B to the cut.
    const double dimensionY = kPartTop + 14.0;
    QPen dimension(QColor(30, 30, 160));
    dimension.setCosmetic(true);
    painter.setPen(dimension);
    painter.drawLine(QPointF(edgeB, dimensionY), QPointF(cut, dimensionY));
    arrowHead(painter, QPointF(cut, dimensionY), toward);
    arrowHead(painter, QPointF(edgeB, dimensionY), -toward);
    painter.drawText(
        QRectF((edgeB + cut) / 2.0 - 10.0, dimensionY + 2.0, 20.0, 14.0), Qt::AlignCenter, QStringLiteral("A"));
    QPen dashed(QColor(30, 30, 160));
    dashed.setCosmetic(true);
    dashed.setStyle(Qt::DashLine);
    painter.setPen(dashed);
    painter.drawLine(QPointF(cut, kPartTop - 6.0), QPointF(cut, kPartBottom + 12.0));
    // X is where the tool stands: its far side for a parting tool or a raw side B, its
    // centre when side B is finished.
    const bool centre = !lathe && m_side == SideB::Usable;
    const double mark = cut + toward * (centre ? kTool / 2.0 : kTool);
    painter.drawLine(QPointF(mark, kPartBottom + 4.0), QPointF(mark, kPartBottom + 30.0));
    painter.setPen(dimension);
    painter.drawText(QRectF(mark - 10.0, kPartBottom + 30.0, 20.0, 14.0), Qt::AlignCenter, QStringLiteral("X"));

    // The axis with its origin: plus points away from the origin.
    const double axisY = kHeight - 12.0;
    painter.setPen(outline);
    const bool originLeft = m_origin == AxisOrigin::Left;
    const double zero = originLeft ? 14.0 : kWidth - 14.0;
    const double plus = originLeft ? kWidth - 14.0 : 14.0;
    painter.drawLine(QPointF(zero, axisY), QPointF(plus, axisY));
    arrowHead(painter, QPointF(plus, axisY), originLeft ? 1.0 : -1.0);
    painter.drawEllipse(QPointF(zero, axisY), 3.0, 3.0);
    painter.drawText(QRectF(zero - 10.0, axisY - 18.0, 20.0, 14.0), Qt::AlignCenter, QStringLiteral("0"));
    painter.drawText(
        QRectF(plus - (originLeft ? 24.0 : 0.0), axisY - 18.0, 24.0, 14.0), Qt::AlignCenter, QStringLiteral("X+"));
}

} // namespace kvt
