#pragma once
// The window beside the transfer window while the program listens for the control's
// requests: a log of what was asked and what went back, and "*Warten beenden".

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace kvt {

class TextLookup;

class RequestPanel : public QDialog {
    Q_OBJECT
public:
    RequestPanel(const TextLookup& texts, QWidget* parent);
    void addLine(const QString& line);
    QString logText() const;

signals:
    void stopRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPlainTextEdit* m_log = nullptr;
    QPushButton* m_stop = nullptr;
};

} // namespace kvt
