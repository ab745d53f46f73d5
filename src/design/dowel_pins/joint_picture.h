#pragma once
// The pinned joint in section: workpiece 1 on workpiece 2, the pin across the joint with
// its depth in each, and the drilled bores around it. A bore deeper than its workpiece
// is thick is drawn red: it would break through.

#include <QWidget>

namespace kvt {

struct JointPictureData {
    double diameter = 0.0; // mm
    double thickness1 = 0.0;
    double thickness2 = 0.0;
    double pin1 = 0.0; // depth of the pin in workpiece 1
    double pin2 = 0.0;
    double bore1 = 0.0; // drilling depth, 0 when not calculated
    double bore2 = 0.0;
};

class JointPicture final : public QWidget {
    Q_OBJECT
public:
    explicit JointPicture(QWidget* parent = nullptr);

    void setData(const JointPictureData& data);
    const JointPictureData& data() const { return m_data; }
    void setCaption(const QString& caption);
    // True when the bore (or the pin) of a workpiece is deeper than the workpiece.
    static bool breaksThrough(double depth, double thickness) { return thickness > 0.0 && depth > thickness; }

    QSize sizeHint() const override { return {240, 280}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    JointPictureData m_data;
    QString m_caption;
};

} // namespace kvt
