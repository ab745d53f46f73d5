#include "serial/nc_renumber_dialog.h"

#include "common/message_boxes.h"
#include "common/text_lookup.h"
#include "serial/nc_editor_texts.h"
#include "serial/nc_text.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kvt {

namespace {

using namespace nc_text_ids;

QString qt(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string fromQt(const QString& text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}

} // namespace

// The worker ends on its own thread; the dialog hears of it on its own thread. A call
// still queued when the dialog goes is dropped with it.
class NcRenumberDialog::WorkerEvents final : public NcWorkerEvents {
public:
    explicit WorkerEvents(NcRenumberDialog& dialog)
        : m_dialog(dialog)
    {
    }
    void post(int) override
    {
        QMetaObject::invokeMethod(
            &m_dialog, [dialog = &m_dialog] { dialog->workerFinished(); }, Qt::QueuedConnection);
    }

private:
    NcRenumberDialog& m_dialog;
};

NcRenumberDialog::NcRenumberDialog(
    const TextLookup& texts, MessageBoxes& boxes, std::u16string_view machineFormat, Host host, QWidget* parent)
    : QDialog(parent)
    , m_texts(texts)
    , m_boxes(boxes)
    , m_host(std::move(host))
    , m_form(machineFormat)
    , m_events(std::make_unique<WorkerEvents>(*this))
    , m_worker(std::make_unique<NcRenumberWorker>(*m_events))
{
    setWindowTitle(text(kRenumberTitle.id, kRenumberTitle.builtin));
    setAccessibleName(windowTitle());

    m_current = new QLineEdit(qt(m_form.currentFormat()), this);
    m_new = new QLineEdit(qt(m_form.newFormat()), this);
    m_start = new QLineEdit(QString::fromStdString(m_form.startText()), this);
    m_step = new QSpinBox(this);
    m_step->setRange(NcRenumberForm::kMinStep, NcRenumberForm::kMaxStep);
    m_step->setValue(m_form.step());

    auto* fields = new QFormLayout;
    const auto addField = [&](const TextId& caption, QWidget* control) {
        auto* label = new QLabel(text(caption.id, caption.builtin), this);
        label->setBuddy(control);
        control->setAccessibleName(label->text());
        fields->addRow(label, control);
    };
    addField(kRenumberCurrentFormat, m_current);
    addField(kRenumberNewFormat, m_new);
    addField(kRenumberStart, m_start);
    addField(kRenumberStep, m_step);

    m_count = new QPushButton(text(kRenumberCount.id, kRenumberCount.builtin), this);
    m_close = new QPushButton(text(kRenumberClose.id, kRenumberClose.builtin), this);
    m_cancel = new QPushButton(text(kRenumberCancel.id, kRenumberCancel.builtin), this);
    for (QPushButton* button : {m_count, m_close, m_cancel}) {
        button->setAccessibleName(button->text());
        button->setAutoDefault(false);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_count);
    buttons->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->addWidget(m_cancel); // the dialog grows to show it only while counting
    showCancel(false);

    connect(m_count, &QPushButton::clicked, this, &NcRenumberDialog::countClicked);
    connect(m_close, &QPushButton::clicked, this, &NcRenumberDialog::reject);
    connect(m_cancel, &QPushButton::clicked, this, &NcRenumberDialog::cancelClicked);
}

NcRenumberDialog::~NcRenumberDialog()
{
    m_worker->stop();
}

QString NcRenumberDialog::text(int id, const char* builtin) const
{
    return QString::fromStdString(m_texts.text(id, builtin));
}

void NcRenumberDialog::showCancel(bool shown)
{
    m_cancel->setVisible(shown);
    m_count->setEnabled(!shown);
    for (QWidget* field : std::initializer_list<QWidget*> {m_current, m_new, m_start, m_step})
        field->setEnabled(!shown);
    adjustSize();
}

void NcRenumberDialog::countClicked()
{
    if (m_form.counting())
        return;
    m_form.setCurrentFormat(fromQt(m_current->text()));
    m_form.setNewFormat(fromQt(m_new->text()));
    m_form.setStartText(m_start->text().toStdString());
    m_form.setStep(m_step->value());
    std::string message;
    const std::optional<RenumberRequest> request = m_form.count(m_texts, message);
    if (!request) {
        m_boxes.show({message, m_texts.text(kError.id, kError.builtin), MessageIcon::Error, MessageButtons::Ok});
        return;
    }
    if (!m_worker->start(*request, m_host.programText())) {
        m_form.cancelled();
        return;
    }
    showCancel(true);
}

void NcRenumberDialog::cancelClicked()
{
    if (!m_form.counting())
        return;
    m_worker->stop();
    m_worker->takeResult(); // a result that arrived just now is dropped too: the file is reloaded
    m_form.cancelled();
    showCancel(false);
    if (m_host.reloadFile)
        m_host.reloadFile();
}

void NcRenumberDialog::workerFinished()
{
    if (!m_form.counting())
        return; // cancelled meanwhile
    m_worker->waitFinished(kJobStopGrace);
    std::optional<RenumberResult> result = m_worker->takeResult();
    if (!result) {
        m_form.cancelled();
        showCancel(false);
        return;
    }
    if (result->text.size() > kNcMaxTextLength) {
        m_form.cancelled();
        showCancel(false);
        m_boxes.show({m_texts.text(kRenumberTooLong.id, kRenumberTooLong.builtin),
            m_texts.text(kError.id, kError.builtin), MessageIcon::Error, MessageButtons::Ok});
        return;
    }
    const std::optional<std::u16string> format = m_form.finished();
    showCancel(false);
    if (m_host.showText)
        m_host.showText(result->text);
    if (format) {
        m_current->setText(qt(*format));
        if (m_host.formatChanged)
            m_host.formatChanged(*format);
    }
}

void NcRenumberDialog::reject()
{
    // Closing while counting is a cancel: the half-done text is never shown.
    cancelClicked();
    QDialog::reject();
}

} // namespace kvt
