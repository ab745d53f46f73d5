#pragma once
// The index plate as the machinist sees it on the dividing head: the hole circle to use
// with every hole drawn, the index pin in the hole it starts from, and the sector arms
// spread over the holes to advance after the full crank turns. Without a fitting circle
// the circle that would be needed is drawn dashed.

#include <QWidget>

#include <cstdint>

namespace kvt {

class IndexPlatePicture final : public QWidget {
    Q_OBJECT
public:
    explicit IndexPlatePicture(QWidget* parent = nullptr);

    // circle: holes of the circle to draw, 0 for a bare plate; holes: holes to advance;
    // fits: false when the circle is only the one that would be needed.
    void setPlate(std::int64_t circle, std::int64_t holes, bool fits);
    std::int64_t circle() const { return m_circle; }
    std::int64_t holes() const { return m_holes; }
    bool fits() const { return m_fits; }
    // The line under the plate, also its accessible name.
    void setCaption(const QString& caption);

    QSize sizeHint() const override { return {260, 280}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::int64_t m_circle = 0;
    std::int64_t m_holes = 0;
    bool m_fits = true;
    QString m_caption;
};

} // namespace kvt
