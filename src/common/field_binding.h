#pragma once
// Binds an edit field to the field validation: every edit is checked at once, a text
// with a forbidden character is cut back silently (caret at its end) and the value the
// window calculates with is always the one of the last valid text.

#include "common/field_validation.h"

#include <QObject>

class QLineEdit;

namespace kvt {

class FieldBinding : public QObject {
    Q_OBJECT

public:
    // The binding belongs to the edit field and ends with it.
    FieldBinding(QLineEdit* edit, int inputClass, ValueKind kind);

    const ParseResult& value() const { return m_value; }
    int inputClass() const { return m_inputClass; }
    ValueKind kind() const { return m_kind; }

    // Checks the field again, for texts the window put there itself.
    void revalidate();

signals:
    void valueChanged();

private:
    void check(const QString& text);

    QLineEdit* m_edit;
    int m_inputClass;
    ValueKind m_kind;
    ParseResult m_value;
};

} // namespace kvt
