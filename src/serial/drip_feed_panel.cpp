#include "serial/drip_feed_panel.h"

#include "common/text_lookup.h"
#include "serial/drip_feed_job.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kvt {

namespace {

QString qt(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

constexpr int kRefreshMs = 200;

} // namespace

DripFeedPanel::DripFeedPanel(DripFeedJob& job, const TextLookup& texts, QWidget* parent)
    : QDialog(parent)
    , m_job(job)
    , m_texts(texts)
{
    setWindowTitle(qt(texts.text(94813, "*Drip-Feed")));
    setAccessibleName(windowTitle());
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    for (QLabel*& line : m_lines) {
        line = new QLabel;
        line->setMinimumWidth(320);
        layout->addWidget(line);
    }
    auto* buttons = new QHBoxLayout;
    m_pause = new QPushButton(qt(texts.text(94814, "*Pause")));
    m_pause->setAccessibleName(m_pause->text());
    m_cancel = new QPushButton(qt(texts.text(94816, "*Abbrechen")));
    m_cancel->setAccessibleName(m_cancel->text());
    for (QPushButton* button : {m_pause, m_cancel}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    connect(m_pause, &QPushButton::clicked, this, &DripFeedPanel::pauseCommand);
    connect(m_cancel, &QPushButton::clicked, this, &DripFeedPanel::cancelCommand);
    m_timer.setInterval(kRefreshMs);
    connect(&m_timer, &QTimer::timeout, this, &DripFeedPanel::refresh);
    m_timer.start();
    refresh();
}

void DripFeedPanel::keyPressEvent(QKeyEvent* event)
{
    // Escape must not hide the only way to stop the feed.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void DripFeedPanel::pauseCommand()
{
    m_paused = !m_paused;
    if (m_paused)
        m_job.pause();
    else
        m_job.resume();
    m_pause->setText(qt(m_paused ? m_texts.text(94815, "*Fortsetzen") : m_texts.text(94814, "*Pause")));
    m_pause->setAccessibleName(m_pause->text());
    refresh();
}

void DripFeedPanel::cancelCommand()
{
    m_job.cancel();
    m_pause->setEnabled(false);
    m_cancel->setEnabled(false);
}

QString DripFeedPanel::lineText(int index) const
{
    return index >= 0 && index < static_cast<int>(m_lines.size()) ? m_lines[static_cast<std::size_t>(index)]->text()
                                                                  : QString();
}

void DripFeedPanel::refresh()
{
    const std::vector<std::string> lines = dripFeedStatusLines(m_job.progress(), m_texts);
    for (std::size_t i = 0; i < m_lines.size() && i < lines.size(); ++i) {
        const QString text = qt(lines[i]);
        if (m_lines[i]->text() != text)
            m_lines[i]->setText(text);
    }
}

} // namespace kvt
