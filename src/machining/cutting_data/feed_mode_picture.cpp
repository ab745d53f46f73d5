#include "machining/cutting_data/feed_mode_picture.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace kvt {

namespace {

const QColor kWork(0xc8, 0xd2, 0xdc);
const QColor kTool(0x8c, 0x96, 0xa0);
const QColor kArrow(0xc0, 0x30, 0x20);
const QColor kLine(0x30, 0x30, 0x30);

void arrow(QPainter& p, QPointF from, QPointF to, const QString& label = {})
{
    p.save();
    p.setPen(QPen(kArrow, 2.5));
    p.setBrush(kArrow);
    p.drawLine(from, to);
    const double angle = std::atan2(to.y() - from.y(), to.x() - from.x());
    const double size = 10.0;
    QPolygonF head;
    head << to << to - QPointF(size * std::cos(angle - 0.4), size * std::sin(angle - 0.4))
         << to - QPointF(size * std::cos(angle + 0.4), size * std::sin(angle + 0.4));
    p.drawPolygon(head);
    if (!label.isEmpty()) {
        p.setPen(kArrow);
        const QPointF middle = (from + to) / 2.0;
        p.drawText(QRectF(middle.x() - 60, middle.y() - 26, 120, 20), Qt::AlignCenter, label);
    }
    p.restore();
}

// A turning arrow around a centre, for the spindle speed n.
void rotation(QPainter& p, QPointF centre, double rx, double ry, const QString& label)
{
    p.save();
    p.setPen(QPen(kArrow, 2.0));
    p.setBrush(Qt::NoBrush);
    const QRectF box(centre.x() - rx, centre.y() - ry, 2 * rx, 2 * ry);
    p.drawArc(box, 200 * 16, 250 * 16);
    const double end = qDegreesToRadians(200.0 + 250.0);
    const QPointF tip(centre.x() + rx * std::cos(end), centre.y() - ry * std::sin(end));
    p.setBrush(kArrow);
    QPolygonF head;
    head << tip + QPointF(-8, -4) << tip + QPointF(4, 6) << tip + QPointF(6, -8);
    p.drawPolygon(head);
    p.setPen(kArrow);
    p.drawText(QPointF(centre.x() + rx + 6, centre.y() - ry + 4), label);
    p.restore();
}

void endMill(QPainter& p, const QRectF& body)
{
    p.save();
    p.setPen(QPen(kLine, 1.5));
    p.setBrush(kTool);
    p.drawRect(body);
    // Flutes as slanted lines on the cutting part.
    const double cutStart = body.top() + body.height() * 0.45;
    for (double y = cutStart; y < body.bottom() - 4; y += 12)
        p.drawLine(QPointF(body.left(), y + 8), QPointF(body.right(), y));
    p.restore();
}

} // namespace

FeedModePicture::FeedModePicture(QWidget* parent)
    : QWidget(parent)
{
    setMinimumSize(260, 180);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void FeedModePicture::setMode(FeedMode mode)
{
    if (m_mode == mode)
        return;
    m_mode = mode;
    update();
}

void FeedModePicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);
    p.setPen(QPen(QColor(0xb0, 0xb0, 0xb0), 1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    // Everything is drawn on a 300 x 210 canvas, scaled to the widget.
    const double scale = std::min(width() / 300.0, height() / 210.0);
    p.translate((width() - 300 * scale) / 2, (height() - 210 * scale) / 2);
    p.scale(scale, scale);
    QFont font = p.font();
    font.setPointSizeF(10);
    font.setBold(true);
    p.setFont(font);

    switch (m_mode) {
    case FeedMode::PerRevolution: {
        // Side view: an end mill cutting along the work, feed per revolution.
        p.setPen(QPen(kLine, 1.5));
        p.setBrush(kWork);
        p.drawRect(QRectF(20, 130, 260, 60));
        endMill(p, QRectF(120, 40, 36, 100));
        rotation(p, QPointF(138, 40), 30, 9, QStringLiteral("n"));
        arrow(p, QPointF(170, 115), QPointF(250, 115), QStringLiteral("vf = n \u00b7 fn"));
        break;
    }
    case FeedMode::PerTooth: {
        // Top view: a cutter with its teeth over the edge of the work, feed per tooth.
        p.setPen(QPen(kLine, 1.5));
        p.setBrush(kWork);
        p.drawRect(QRectF(20, 110, 260, 80));
        const QPointF centre(120, 95);
        const double r = 48;
        QPainterPath cutter;
        const int teeth = 6;
        for (int i = 0; i <= teeth * 2; ++i) {
            const double a = 2 * M_PI * i / (teeth * 2);
            const double radius = i % 2 == 0 ? r : r * 0.78;
            const QPointF point(centre.x() + radius * std::cos(a), centre.y() + radius * std::sin(a));
            if (i == 0)
                cutter.moveTo(point);
            else
                cutter.lineTo(point);
        }
        p.setBrush(kTool);
        p.drawPath(cutter);
        p.setBrush(Qt::white);
        p.drawEllipse(centre, 10, 10);
        rotation(p, centre, r + 10, r + 10, QStringLiteral("n"));
        arrow(p, QPointF(180, 160), QPointF(265, 160), QStringLiteral("vf = z \u00b7 fz \u00b7 n"));
        p.setPen(kLine);
        p.drawText(QPointF(centre.x() + r * 0.9, centre.y() - r * 0.55), QStringLiteral("fz"));
        break;
    }
    case FeedMode::PerRevolutionAxial: {
        // Side view: a drill going down into the work.
        p.setPen(QPen(kLine, 1.5));
        p.setBrush(kWork);
        p.drawRect(QRectF(20, 120, 260, 70));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(132, 120, 36, 30)); // the hole so far
        p.setBrush(kTool);
        QPolygonF drill;
        drill << QPointF(132, 30) << QPointF(168, 30) << QPointF(168, 140) << QPointF(150, 156) << QPointF(132, 140);
        p.drawPolygon(drill);
        for (double y = 60; y < 135; y += 14)
            p.drawLine(QPointF(132, y + 8), QPointF(168, y));
        rotation(p, QPointF(150, 30), 30, 9, QStringLiteral("n"));
        arrow(p, QPointF(200, 50), QPointF(200, 120), QStringLiteral("fn"));
        break;
    }
    case FeedMode::SpeedOnly: {
        // Top view: the tool diameter and the cutting speed at its rim.
        const QPointF centre(130, 90);
        const double r = 55;
        p.setPen(QPen(kLine, 1.5));
        p.setBrush(kTool);
        p.drawEllipse(centre, r, r);
        p.setPen(QPen(kLine, 1, Qt::DashDotLine));
        p.drawLine(QPointF(centre.x() - r - 10, centre.y()), QPointF(centre.x() + r + 10, centre.y()));
        p.drawLine(QPointF(centre.x(), centre.y() - r - 10), QPointF(centre.x(), centre.y() + r + 10));
        p.setPen(QPen(kLine, 1.5));
        // Dimension line of D below the tool, with its end marks.
        const double y = centre.y() + r + 24;
        p.drawLine(QPointF(centre.x() - r, y), QPointF(centre.x() + r, y));
        p.drawLine(QPointF(centre.x() - r, y - 5), QPointF(centre.x() - r, y + 5));
        p.drawLine(QPointF(centre.x() + r, y - 5), QPointF(centre.x() + r, y + 5));
        p.setPen(kLine);
        p.drawText(QRectF(centre.x() - 20, y - 2, 40, 16), Qt::AlignCenter, QStringLiteral("D"));
        rotation(p, centre, r + 12, r + 12, QStringLiteral("n"));
        arrow(p, QPointF(centre.x() + r, centre.y()), QPointF(centre.x() + r, centre.y() - 55), QString());
        p.setPen(kArrow);
        p.drawText(QPointF(centre.x() + r + 8, centre.y() - 30), QStringLiteral("Vc"));
        break;
    }
    }
}

} // namespace kvt
