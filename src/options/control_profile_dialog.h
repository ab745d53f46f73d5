#pragma once
// The editor of a control profile: every field of the profile, "*Speichern" stores it
// under its name (a new profile, or the one of that name), "*Löschen" removes a user
// profile or gives a built-in its own values back. The checks are the form's.

#include "options/control_profile_form.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kvt {

class ControlProfileDialog : public QDialog {
    Q_OBJECT
public:
    ControlProfileDialog(
        ControlProfileForm& form, const TextLookup& texts, int profileIndex, QWidget* parent = nullptr);

    // The name of the profile saved last (empty when none was), for the caller's combo.
    const std::string& savedName() const { return m_savedName; }

    void saveCommand();
    void removeCommand();

private:
    QString text(int id, std::string_view builtin) const;
    void show(const ControlProfileTexts& texts);
    ControlProfileTexts read() const;

    ControlProfileForm& m_form;
    const TextLookup& m_texts;
    std::string m_savedName;

    QLineEdit* m_name = nullptr;
    QComboBox* m_lineEnd = nullptr;
    QLineEdit* m_leader = nullptr;
    QLineEdit* m_trailer = nullptr;
    QLineEdit* m_beforeSend = nullptr;
    QLineEdit* m_afterSend = nullptr;
    QCheckBox* m_dropBeforePercent = nullptr;
    QComboBox* m_nameLine = nullptr;
    QComboBox* m_start = nullptr;
    QComboBox* m_flow = nullptr;
    QLineEdit* m_linePause = nullptr;
    QLineEdit* m_stopAllowance = nullptr;
    QLineEdit* m_linkTimeout = nullptr;
    QLineEdit* m_receiveEnd = nullptr;
    QLineEdit* m_request = nullptr;
    QLineEdit* m_fileName = nullptr;
    std::array<QLineEdit*, kProfileFolderCount> m_folders {};
    QLineEdit* m_requestDelay = nullptr;
    QCheckBox* m_requestDripFeed = nullptr;
};

} // namespace kvt
