#pragma once
// The small dialog that adds a material group of the user's own to the power group of
// the cutting data window: a name, kc1 and mc. It only collects the texts; whether the
// group is sound is decided by materialGroupAcceptable().

#include "machining/cutting_data/cutting_power.h"

#include <QDialog>

#include <optional>

class QLineEdit;

namespace kvt {

class TextLookup;

class MaterialGroupDialog final : public QDialog {
    Q_OBJECT
public:
    MaterialGroupDialog(const TextLookup& texts, QWidget* parent);

    // The group as typed; nullopt when a number is not one.
    std::optional<MaterialGroup> group() const;

    QLineEdit* nameField() const { return m_name; }
    QLineEdit* kc1Field() const { return m_kc1; }
    QLineEdit* mcField() const { return m_mc; }

private:
    QLineEdit* m_name = nullptr;
    QLineEdit* m_kc1 = nullptr;
    QLineEdit* m_mc = nullptr;
};

} // namespace kvt
