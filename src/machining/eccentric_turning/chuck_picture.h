#pragma once
// The set-up of the eccentric turning window as a drawing: a three-jaw chuck seen from
// the front, a packing piece under the upper jaw and the work pushed off centre by the
// offset e, with the largest diameter that can still be turned on the new axis.

#include <QWidget>

namespace kvt {

class ChuckPicture final : public QWidget {
    Q_OBJECT
public:
    explicit ChuckPicture(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {240, 240}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kvt
