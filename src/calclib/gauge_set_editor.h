#pragma once
// The editor of the gauge-block sets: every set as one line "name; mm; sizes ...", so
// that a set is copied, changed or typed from a maker's leaflet in one text. Saving is
// refused, with the damaged line named, until every line is a sound set.

#include "calclib/gauge_blocks.h"

#include <QDialog>

#include <functional>
#include <vector>

class QPlainTextEdit;
class QPushButton;

namespace kvt {

class TextLookup;

class GaugeSetEditor final : public QDialog {
    Q_OBJECT
public:
    // `complain` shows a message (the library's message boxes set the state's flag).
    GaugeSetEditor(const std::vector<calc::GaugeBlockSet>& sets, const TextLookup& texts,
        std::function<void(const std::string&)> complain, QWidget* parent);

    // The sets as they were accepted; empty before.
    const std::vector<calc::GaugeBlockSet>& sets() const { return m_sets; }
    QPlainTextEdit* textField() const { return m_text; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* defaultsButton() const { return m_defaults; }

    void accept() override;

private:
    const TextLookup& m_texts;
    std::function<void(const std::string&)> m_complain;
    std::vector<calc::GaugeBlockSet> m_sets;
    QPlainTextEdit* m_text = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_defaults = nullptr;
};

} // namespace kvt
