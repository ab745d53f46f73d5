#pragma once
// The set-up of the cut-to-length window as a drawing, one per operation: the bar in
// the lathe chuck with the parting tool, or the blank on the milling table with the end
// mill on the left or right, side B raw or finished, and the axis with its origin.

#include "machining/cut_to_length/cut_to_length.h"

#include <QWidget>

namespace kvt {

class CutSetupPicture final : public QWidget {
    Q_OBJECT
public:
    explicit CutSetupPicture(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {320, 170}; }

    void setSetup(CutOperation operation, AxisOrigin origin, SideB side);
    CutOperation operation() const { return m_operation; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CutOperation m_operation = CutOperation::LatheParting;
    AxisOrigin m_origin = AxisOrigin::Left;
    SideB m_side = SideB::Raw;
};

} // namespace kvt
