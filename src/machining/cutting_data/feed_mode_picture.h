#pragma once
// The sketch beside the cutting data inputs: tool, work and the feed of the chosen mode,
// drawn with QPainter so that it scales with the window and needs no picture files.

#include "machining/cutting_data/cutting_data_form.h"

#include <QWidget>

namespace kvt {

class FeedModePicture final : public QWidget {
    Q_OBJECT
public:
    explicit FeedModePicture(QWidget* parent = nullptr);

    FeedMode mode() const { return m_mode; }
    void setMode(FeedMode mode);

    QSize sizeHint() const override { return {300, 210}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FeedMode m_mode = FeedMode::SpeedOnly;
};

} // namespace kvt
