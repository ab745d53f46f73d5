#include "design/flanges/flange_preview.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kvt {

namespace {

const QColor kFlange(0xdc, 0xe4, 0xec);
const QColor kLine(0x30, 0x30, 0x30);
const QColor kHole(0x20, 0x50, 0xa0);
const QColor kCounterbore(0x80, 0x80, 0x80);
const QColor kZero(0xc0, 0x30, 0x20);
constexpr double kMargin = 12.0; // pixels between the drawing and the edge at zoom 1

// The distance from the centre that the drawing must show, in millimetres.
double extent(const FlangeData& d)
{
    const FlangeGeometry& g = d.geometry;
    double e = std::max<double>({g.outerRadius, g.innerRadius, g.centringRadius});
    if (isSquareKind(d.kindCode))
        e = std::max<double>(e, g.outerSize / 2.0);
    const int circles = hasSecondCircle(d.kindCode) ? 2 : 1;
    for (int c = 0; c < circles; ++c) {
        const HoleCircle& circle = c == 0 ? g.circle1 : g.circle2;
        const double edge = std::max(circle.holeRadius, circle.counterboreRadius);
        for (int i = 0; i < std::clamp(circle.holeCount, 0, kMaxHolesPerCircle); ++i) {
            const FlangePoint& p = circle.points[static_cast<std::size_t>(i)];
            e = std::max(e, std::hypot(p.x - d.zeroPointX, p.y - d.zeroPointY) + edge);
        }
    }
    return e;
}

} // namespace

FlangePreview::FlangePreview(QWidget* parent)
    : QWidget(parent)
{
    setAutoFillBackground(false);
}

void FlangePreview::setPattern(const FlangeData* data, double zoom)
{
    m_data = data;
    m_zoom = zoom;
    update();
}

void FlangePreview::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);
    p.setPen(QPen(kLine, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!m_data)
        return;
    const FlangeData& d = *m_data;
    const FlangeGeometry& g = d.geometry;
    const double reach = extent(d);
    if (!(reach > 0.0))
        return;

    // The flange centre sits in the middle; the entered zero point is where the stored
    // points are measured from, so the flange itself is drawn around it.
    const double scale = (std::min(width(), height()) / 2.0 - kMargin) / reach * m_zoom;
    const QPointF middle(width() / 2.0, height() / 2.0);
    const FlangePoint centre {d.zeroPointX, d.zeroPointY};
    auto at = [&](double x, double y) {
        return QPointF(middle.x() + (x - centre.x) * scale, middle.y() - (y - centre.y) * scale);
    };
    auto circle = [&](double x, double y, double r) {
        if (r > 0.0)
            p.drawEllipse(at(x, y), r * scale, r * scale);
    };

    p.setPen(QPen(kLine, 1.5));
    p.setBrush(kFlange);
    if (isRoundKind(d.kindCode)) {
        circle(centre.x, centre.y, g.outerRadius);
    } else if (isSquareKind(d.kindCode)) {
        const double a = g.outerSize / 2.0;
        p.drawRect(QRectF(at(centre.x - a, centre.y + a), at(centre.x + a, centre.y - a)));
    }
    p.setBrush(Qt::white);
    circle(centre.x, centre.y, g.innerRadius);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kLine, 1, Qt::DashLine));
    circle(centre.x, centre.y, g.centringRadius);

    const int circles = hasSecondCircle(d.kindCode) ? 2 : 1;
    for (int c = 0; c < circles; ++c) {
        const HoleCircle& hc = c == 0 ? g.circle1 : g.circle2;
        p.setPen(QPen(kLine, 0.8, Qt::DashDotLine));
        circle(centre.x, centre.y, hc.radius);
        const int count = std::clamp(hc.holeCount, 0, kMaxHolesPerCircle);
        for (int i = 0; i < count; ++i) {
            const FlangePoint& h = hc.points[static_cast<std::size_t>(i)];
            p.setPen(QPen(kCounterbore, 1));
            circle(h.x, h.y, hc.counterboreRadius);
            p.setPen(QPen(kHole, 1.5));
            p.setBrush(i == 0 ? QColor(kHole).lighter(170) : QColor(Qt::white));
            circle(h.x, h.y, hc.holeRadius);
            p.setBrush(Qt::NoBrush);
        }
    }

    // The zero point the point list and the drawing are measured from.
    FlangePoint zero = centre;
    const FlangePoint shift = cornerOrigin(d.zeroPointMode, g.outerSize);
    zero.x -= shift.x;
    zero.y -= shift.y;
    const QPointF z = at(zero.x, zero.y);
    p.setPen(QPen(kZero, 2));
    p.drawLine(z - QPointF(8, 0), z + QPointF(8, 0));
    p.drawLine(z - QPointF(0, 8), z + QPointF(0, 8));
    p.drawEllipse(z, 4, 4);
}

} // namespace kvt
