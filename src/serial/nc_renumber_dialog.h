#pragma once
// The dialog "*NC Datei, Zeilen durchzählen": current and new line-number format, start
// value, step (1 to 20), "*Zählen", "*Schließen" and, while the worker counts,
// "*Zählen abbrechen". The transfer window opens it and lends it the program text; the
// dialog hands back the renumbered text, the new format and, after a cancel, the
// request to reload the file from disk.

#include "serial/nc_renumber.h"
#include "serial/nc_workers.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kvt {

class MessageBoxes;
class TextLookup;

class NcRenumberDialog : public QDialog {
    Q_OBJECT
public:
    struct Host {
        std::function<std::u16string()> programText; // the text to renumber, as shown now
        std::function<void(const std::u16string&)> showText; // the renumbered text
        std::function<void(const std::u16string&)> formatChanged; // the machine's new line-number format
        std::function<void()> reloadFile; // the counting was cancelled: the file from disk again
    };

    NcRenumberDialog(const TextLookup& texts, MessageBoxes& boxes, std::u16string_view machineFormat, Host host,
        QWidget* parent = nullptr);
    ~NcRenumberDialog() override;

    bool counting() const { return m_form.counting(); }

    void reject() override;

private:
    class WorkerEvents;

    QString text(int id, const char* builtin) const;
    void countClicked();
    void cancelClicked();
    void workerFinished();
    void showCancel(bool shown);

    const TextLookup& m_texts;
    MessageBoxes& m_boxes;
    Host m_host;
    NcRenumberForm m_form;
    QLineEdit* m_current = nullptr;
    QLineEdit* m_new = nullptr;
    QLineEdit* m_start = nullptr;
    QSpinBox* m_step = nullptr;
    QPushButton* m_count = nullptr;
    QPushButton* m_close = nullptr;
    QPushButton* m_cancel = nullptr;
    std::unique_ptr<WorkerEvents> m_events;
    std::unique_ptr<NcRenumberWorker> m_worker; // after m_events, which it reports to
};

} // namespace kvt
