#include "machining/dividing_head/index_plate_picture.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>

namespace kvt {

namespace {

const QColor kPlate(0xdc, 0xe1, 0xe6);
const QColor kLine(0x30, 0x30, 0x30);
const QColor kHole(0xff, 0xff, 0xff);
const QColor kAdvance(0x20, 0x60, 0xc0);
const QColor kSector(0x20, 0x60, 0xc0, 0x30);
const QColor kPin(0xc0, 0x30, 0x20);
const QColor kMissing(0x90, 0x90, 0x90);

// Beyond this many holes they would merge into a ring; the circle is drawn as a line.
constexpr std::int64_t kMostHolesDrawn = 400;

// Hole 0 at the top, counting clockwise as the crank turns.
QPointF holeCentre(QPointF centre, double radius, std::int64_t hole, std::int64_t circle)
{
    const double angle = 2.0 * M_PI * static_cast<double>(hole) / static_cast<double>(circle);
    return {centre.x() + radius * std::sin(angle), centre.y() - radius * std::cos(angle)};
}

} // namespace

IndexPlatePicture::IndexPlatePicture(QWidget* parent)
    : QWidget(parent)
{
    setMinimumSize(220, 240);
}

void IndexPlatePicture::setPlate(std::int64_t circle, std::int64_t holes, bool fits)
{
    m_circle = std::max<std::int64_t>(circle, 0);
    m_holes = std::clamp<std::int64_t>(holes, 0, m_circle);
    m_fits = fits;
    update();
}

void IndexPlatePicture::setCaption(const QString& caption)
{
    m_caption = caption;
    setAccessibleName(caption);
    update();
}

void IndexPlatePicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics = fontMetrics();
    const double captionHeight = 2.5 * metrics.height();
    const double size = std::min<double>(width(), height() - captionHeight) - 16.0;
    if (size < 40.0)
        return;
    const QPointF centre(width() / 2.0, 8.0 + size / 2.0);
    const double plateRadius = size / 2.0;
    const double circleRadius = plateRadius * 0.78;

    p.setPen(QPen(kLine, 1.5));
    p.setBrush(kPlate);
    p.drawEllipse(centre, plateRadius, plateRadius);
    p.setBrush(Qt::white);
    p.drawEllipse(centre, plateRadius * 0.16, plateRadius * 0.16);

    if (m_circle > 0) {
        const double pitch = 2.0 * M_PI * circleRadius / static_cast<double>(m_circle);
        const double holeRadius = std::clamp(pitch * 0.3, 1.2, 6.0);

        // The sector arms and the span between them: the holes to advance.
        if (m_fits && m_holes > 0) {
            const double spanDegrees = 360.0 * static_cast<double>(m_holes) / static_cast<double>(m_circle);
            const double reach = circleRadius + holeRadius + 6.0;
            QPainterPath sector;
            sector.moveTo(centre);
            sector.arcTo(QRectF(centre.x() - reach, centre.y() - reach, 2 * reach, 2 * reach), 90.0, -spanDegrees);
            sector.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(kSector);
            p.drawPath(sector);
            p.setPen(QPen(kAdvance, 3.0));
            p.drawLine(centre, holeCentre(centre, reach, 0, m_circle));
            p.drawLine(centre, holeCentre(centre, reach, m_holes, m_circle));
        }

        if (m_circle > kMostHolesDrawn) {
            p.setPen(QPen(m_fits ? kLine : kMissing, 1.5, m_fits ? Qt::SolidLine : Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(centre, circleRadius, circleRadius);
        } else {
            for (std::int64_t hole = 0; hole < m_circle; ++hole) {
                const bool advanced = m_fits && hole > 0 && hole <= m_holes;
                p.setPen(QPen(m_fits ? kLine : kMissing, 1.0, m_fits ? Qt::SolidLine : Qt::DotLine));
                p.setBrush(advanced ? kAdvance : kHole);
                p.drawEllipse(holeCentre(centre, circleRadius, hole, m_circle), holeRadius, holeRadius);
            }
        }
        if (m_fits) {
            // The index pin in its starting hole.
            p.setPen(QPen(kLine, 1.0));
            p.setBrush(kPin);
            const double pin = std::max(holeRadius, 3.0) + 1.0;
            p.drawEllipse(holeCentre(centre, circleRadius, 0, m_circle), pin, pin);
        }
    }

    p.setPen(kLine);
    p.drawText(QRectF(0, 8.0 + size + 4.0, width(), captionHeight), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
        m_caption);
}

} // namespace kvt
