#pragma once
// The small dialog that adds a material group of the user's own to the power group of
// the cutting data window: a name, kc1 and mc. It only collects the texts; whether the
// group is sound is decided by materialGroupAcceptable().

#include "machining/cutting_data/cutting_power.h"

#include <QDialog>

#include <functional>
#include <optional>

class QLineEdit;

namespace kvt {

class TextLookup;

class MaterialGroupDialog final : public QDialog {
    Q_OBJECT
public:
    // `refuse` tells the user why a group is not taken; the dialog then stays open with
    // what was typed.
    MaterialGroupDialog(const TextLookup& texts, std::function<void()> refuse, QWidget* parent);

    // The group as typed; nullopt when a number is not one.
    std::optional<MaterialGroup> group() const;
    void accept() override;

    QLineEdit* nameField() const { return m_name; }
    QLineEdit* kc1Field() const { return m_kc1; }
    QLineEdit* mcField() const { return m_mc; }

private:
    std::function<void()> m_refuse;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_kc1 = nullptr;
    QLineEdit* m_mc = nullptr;
};

} // namespace kvt
