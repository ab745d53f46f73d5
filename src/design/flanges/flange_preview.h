#pragma once
// The preview beside the flange inputs: outline, inner bore, centring collar, every hole
// and counterbore where the point list puts it, and the chosen zero point, drawn with
// QPainter from the calculated geometry (millimetres) and scaled to the area times the
// zoom factor.

#include "design/flanges/flange.h"

#include <QWidget>

namespace kvt {

class FlangePreview final : public QWidget {
    Q_OBJECT
public:
    explicit FlangePreview(QWidget* parent = nullptr);

    // Nothing is drawn until a calculation has given a pattern.
    void setPattern(const FlangeData* data, double zoom);

    QSize sizeHint() const override { return {400, 400}; }
    QSize minimumSizeHint() const override { return {400, 400}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const FlangeData* m_data = nullptr;
    double m_zoom = 1.0;
};

} // namespace kvt
