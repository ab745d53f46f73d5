#include "design/parallels/vise_picture.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace kvt {

namespace {

const QColor kSteel(170, 176, 186);
const QColor kParallel(90, 140, 200);
const QColor kWorkpiece(225, 205, 150);
const QColor kWarning(240, 160, 40);
const QColor kDanger(220, 50, 50);

double finite(double value)
{
    return std::isfinite(value) ? std::max(0.0, value) : 0.0;
}

} // namespace

VisePicture::VisePicture(QWidget* parent)
    : QWidget(parent)
{
    setMinimumSize(260, 200);
}

void VisePicture::setData(const VisePictureData& data)
{
    m_data = data;
    update();
}

void VisePicture::setCaption(const QString& caption)
{
    m_caption = caption;
    setAccessibleName(caption);
    update();
}

QColor VisePicture::parallelColour(const VisePosition& position)
{
    if (position.atJawHeight || position.tooDeepForTwo)
        return kDanger;
    if (position.nearJawHeight)
        return kWarning;
    return kParallel;
}

QColor VisePicture::workpieceColour(const VisePosition& position)
{
    if (position.error)
        return kDanger;
    if (position.warning)
        return kWarning;
    return kWorkpiece;
}

void VisePicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);

    const double piece = finite(m_data.height);
    const double depth = std::max(finite(m_data.depth), 10.0);
    const double jaw = std::max(finite(m_data.jaw), 5.0);
    const double parallel = finite(m_data.parallel);
    const double parallelDepth = std::min(finite(m_data.parallelDepth), depth / 2.0);
    const double jawWidth = std::max(8.0, depth * 0.25);
    const double base = jaw * 0.3;

    // Everything in millimetres, scaled to fit the widget with room for the caption.
    const double totalWidth = depth + 2.0 * jawWidth;
    const double totalHeight = base + std::max(jaw, parallel + piece) + 5.0;
    const int captionHeight = fontMetrics().height() + 6;
    const double scale = std::min((width() - 20) / totalWidth, (height() - 20.0 - captionHeight) / totalHeight);
    if (!(scale > 0.0))
        return;
    const double left = (width() - totalWidth * scale) / 2.0;
    const double ground = height() - 10.0 - captionHeight;
    auto at = [&](double x, double y) { return QPointF(left + x * scale, ground - y * scale); };
    auto box = [&](double x, double y, double w, double h) { return QRectF(at(x, y + h), at(x + w, y)); };

    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(kSteel);
    painter.drawRect(box(0.0, 0.0, totalWidth, base)); // the vice bed
    painter.drawRect(box(0.0, base, jawWidth, jaw)); // fixed jaw
    painter.drawRect(box(jawWidth + depth, base, jawWidth, jaw)); // moving jaw

    if (parallel > 0.0) {
        painter.setBrush(parallelColour(m_data.position));
        painter.drawRect(box(jawWidth, base, parallelDepth, parallel));
        painter.drawRect(box(jawWidth + depth - parallelDepth, base, parallelDepth, parallel));
    }

    if (piece > 0.0) {
        const double bottom = base + parallel;
        painter.setBrush(workpieceColour(m_data.position));
        painter.drawRect(box(jawWidth, bottom, depth, piece));
        // The band the side cut takes, hatched, and the line the tool reaches down to.
        const double cut = std::min(finite(m_data.sideDepth), piece);
        painter.setBrush(QBrush(Qt::darkGray, Qt::BDiagPattern));
        painter.drawRect(box(jawWidth, bottom + piece - cut, depth, cut));
        const double reach = std::min(finite(m_data.sideDepth) + finite(m_data.overhang), piece);
        painter.setPen(QPen(m_data.position.error ? kDanger : Qt::darkGreen, 2, Qt::DashLine));
        const QPointF from = at(jawWidth - jawWidth * 0.5, bottom + piece - reach);
        const QPointF to = at(jawWidth + depth + jawWidth * 0.5, bottom + piece - reach);
        painter.drawLine(from, to);
    }

    // The jaw top, where the tool must stay clear.
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawLine(at(0.0, base + jaw), at(totalWidth, base + jaw));

    painter.setPen(Qt::black);
    painter.drawText(QRect(0, height() - captionHeight, width(), captionHeight), Qt::AlignCenter, m_caption);
}

} // namespace kvt
