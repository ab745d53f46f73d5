#include "common/field_binding.h"

#include <QLineEdit>

namespace kvt {

FieldBinding::FieldBinding(QLineEdit* edit, int inputClass, ValueKind kind)
    : QObject(edit)
    , m_edit(edit)
    , m_inputClass(inputClass)
    , m_kind(kind)
{
    m_edit->setMaxLength(static_cast<int>(kFieldTextLength) - 1);
    connect(m_edit, &QLineEdit::textEdited, this, &FieldBinding::check);
}

void FieldBinding::revalidate()
{
    check(m_edit->text());
}

void FieldBinding::check(const QString& text)
{
    std::string working = text.toStdString();
    ParseResult result;
    if (!validateField(working, m_inputClass, m_kind, result)) {
        // No message: the offending character and everything after it just disappear.
        const QString cut = QString::fromStdString(working);
        m_edit->setText(cut);
        m_edit->setCursorPosition(static_cast<int>(cut.size()));
        // What is left is valid by construction; the value follows the visible text,
        // as the field's own change notification would have it.
        working = cut.toStdString();
        if (!validateField(working, m_inputClass, m_kind, result))
            return;
    }
    m_value = result;
    emit valueChanged();
}

} // namespace kvt
