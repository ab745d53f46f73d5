#pragma once
// The support mail composer: the user describes the problem, and the mail program of the
// desktop gets a message to the vendor's support address through a mailto link.

#include "support/support_mail.h"
#include "support/support_services.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace kvt {

class SupportMailDialog final : public QDialog {
    Q_OBJECT
public:
    explicit SupportMailDialog(SupportServices services, QWidget* parent = nullptr);

    const SupportMailForm& form() const { return m_form; }
    // OK: the mail program composes the message and the dialog closes; with a field
    // missing the user is told and the dialog stays.
    void composeMail();
    void copyText();

private:
    std::string text(int id, std::string_view builtin) const { return m_services.texts.text(id, builtin); }
    bool openMail();
    void descriptionChanged();

    SupportServices m_services;
    SupportMailForm m_form;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_address = nullptr;
    QPlainTextEdit* m_description = nullptr;
    QLabel* m_remaining = nullptr;
};

// Runs the composer modally over the active window.
void runSupportMailDialog(SupportServices services);

} // namespace kvt
