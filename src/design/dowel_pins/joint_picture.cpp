#include "design/dowel_pins/joint_picture.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kvt {

namespace {

double finite(double value)
{
    return std::isfinite(value) ? std::max(0.0, value) : 0.0;
}

} // namespace

JointPicture::JointPicture(QWidget* parent)
    : QWidget(parent)
{
    setMinimumSize(200, 220);
}

void JointPicture::setData(const JointPictureData& data)
{
    m_data = data;
    update();
}

void JointPicture::setCaption(const QString& caption)
{
    m_caption = caption;
    setAccessibleName(caption);
    update();
}

void JointPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);

    const double d = std::max(finite(m_data.diameter), 0.5);
    const double t1 = std::max(finite(m_data.thickness1), finite(m_data.pin1));
    const double t2 = std::max(finite(m_data.thickness2), finite(m_data.pin2));
    const double up = std::max({t1, finite(m_data.bore1), 1.0});
    const double down = std::max({t2, finite(m_data.bore2), 1.0});
    const double widthMm = std::max(6.0 * d, (up + down) * 0.8);
    const int captionHeight = fontMetrics().height() + 6;
    const double scale = std::min((width() - 20) / widthMm, (height() - 20.0 - captionHeight) / (up + down));
    if (!(scale > 0.0))
        return;
    const double centreX = width() / 2.0;
    const double joint = 10.0 + up * scale;
    auto rectAt = [&](double x, double top, double w, double h) {
        return QRectF(centreX + x * scale, joint - top * scale, w * scale, h * scale);
    };

    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor(200, 210, 225));
    painter.drawRect(rectAt(-widthMm / 2.0, finite(m_data.thickness1), widthMm, finite(m_data.thickness1)));
    painter.setBrush(QColor(215, 200, 180));
    painter.drawRect(rectAt(-widthMm / 2.0, 0.0, widthMm, finite(m_data.thickness2)));

    // The bores, a little wider than the pin, red where they break through.
    auto bore = [&](double top, double depth, double thickness) {
        if (depth <= 0.0)
            return;
        const QColor colour = breaksThrough(depth, thickness) ? QColor(220, 50, 50) : QColor(90, 90, 90);
        painter.setPen(QPen(colour, 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rectAt(-d * 0.55, top, d * 1.1, depth));
    };
    bore(finite(m_data.bore1), finite(m_data.bore1), finite(m_data.thickness1));
    bore(0.0, finite(m_data.bore2), finite(m_data.thickness2));

    const bool through = breaksThrough(finite(m_data.pin1), finite(m_data.thickness1))
        || breaksThrough(finite(m_data.pin2), finite(m_data.thickness2));
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(through ? QColor(220, 50, 50) : QColor(120, 130, 140));
    painter.drawRect(rectAt(-d / 2.0, finite(m_data.pin1), d, finite(m_data.pin1) + finite(m_data.pin2)));

    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawLine(QPointF(0.0, joint), QPointF(width(), joint));
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, height() - captionHeight, width(), captionHeight), Qt::AlignCenter, m_caption);
}

} // namespace kvt
