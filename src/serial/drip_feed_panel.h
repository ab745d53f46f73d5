#pragma once
// The small window beside the transfer window while a drip-feed runs: its state, the
// lines sent, the line the control is on and the time left, with "*Pause" /
// "*Fortsetzen" and "*Abbrechen". It only reads the job's progress on a timer, so the
// feed never waits for it.

#include <QDialog>
#include <QTimer>

#include <array>

class QLabel;
class QPushButton;

namespace kvt {

class DripFeedJob;
class TextLookup;

class DripFeedPanel : public QDialog {
    Q_OBJECT
public:
    DripFeedPanel(DripFeedJob& job, const TextLookup& texts, QWidget* parent);

    void pauseCommand(); // pauses, or resumes a paused feed
    void cancelCommand();
    QString lineText(int index) const; // for tests: 0 state, 1 lines, 2 control line, 3 time left
    bool paused() const { return m_paused; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refresh();

    DripFeedJob& m_job;
    const TextLookup& m_texts;
    std::array<QLabel*, 4> m_lines {};
    QPushButton* m_pause = nullptr;
    QPushButton* m_cancel = nullptr;
    QTimer m_timer;
    bool m_paused = false;
};

} // namespace kvt
