#pragma once
// "*Neustart ab Satz": the operator picks where a program starts again (a line, a block
// number or a tool change), reads and edits the preamble that restores the modal state
// there, and sends the preamble with the rest of the program as a drip-feed.

#include <QDialog>

#include <cstddef>
#include <functional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kvt {

class TextLookup;

class RestartDialog : public QDialog {
    Q_OBJECT
public:
    // send: feeds the text, which starts at that line of the program; false when it did
    // not start (the window has told why).
    using Sender = std::function<bool(const std::string& text, std::size_t line)>;
    RestartDialog(std::string program, std::size_t suggestedLine, const TextLookup& texts, Sender send,
        QWidget* parent = nullptr);

    void findCommand(); // "*Suchen": the line and its preamble
    void sendCommand(); // "*Senden"

    // For tests.
    QComboBox* byCombo() const { return m_by; }
    QLineEdit* valueField() const { return m_value; }
    QLineEdit* occurrenceField() const { return m_occurrence; }
    QPlainTextEdit* preambleEdit() const { return m_preamble; }
    QString foundText() const;
    std::size_t foundLine() const { return m_line; }

private:
    QString text(int id, std::string_view builtin) const;

    std::string m_program;
    const TextLookup& m_texts;
    Sender m_send;
    std::size_t m_line = 0; // 0 = none found yet
    QComboBox* m_by = nullptr;
    QLineEdit* m_value = nullptr;
    QLineEdit* m_occurrence = nullptr;
    QLabel* m_found = nullptr;
    QPlainTextEdit* m_preamble = nullptr;
    QPushButton* m_sendButton = nullptr;
};

} // namespace kvt
