#pragma once
// The vice seen from the side, drawn to scale: the base, both jaws, the parallels under
// the workpiece, the workpiece with the band the side cut takes away, and the line down
// to which the tool reaches. Warning states colour the part they are about: parallels
// too deep for two to fit or as high as the jaws, a workpiece with too little left.

#include "design/parallels/parallels.h"

#include <QWidget>

namespace kvt {

struct VisePictureData {
    double height = 0.0; // workpiece, mm
    double sideDepth = 0.0;
    double overhang = 0.0;
    double depth = 0.0; // workpiece front to back
    double jaw = 0.0;
    double parallel = 0.0; // height of the parallel it stands on
    double parallelDepth = 0.0;
    VisePosition position;
};

class VisePicture final : public QWidget {
    Q_OBJECT
public:
    explicit VisePicture(QWidget* parent = nullptr);

    void setData(const VisePictureData& data);
    const VisePictureData& data() const { return m_data; }
    // The line under the drawing, also its accessible name.
    void setCaption(const QString& caption);

    // The colours the warning states give; public so that tests can compare them.
    static QColor parallelColour(const VisePosition& position);
    static QColor workpieceColour(const VisePosition& position);

    QSize sizeHint() const override { return {320, 260}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    VisePictureData m_data;
    QString m_caption;
};

} // namespace kvt
