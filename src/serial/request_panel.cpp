#include "serial/request_panel.h"

#include "common/text_lookup.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kvt {

RequestPanel::RequestPanel(const TextLookup& texts, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString::fromStdString(texts.text(94840, "*Anforderungen der Steuerung")));
    setAccessibleName(windowTitle());
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QString::fromStdString(texts.text(94841, "*Protokoll:")));
    m_log = new QPlainTextEdit;
    m_log->setReadOnly(true);
    m_log->setMinimumSize(440, 200);
    label->setBuddy(m_log);
    m_log->setAccessibleName(label->text());
    layout->addWidget(label);
    layout->addWidget(m_log);
    m_stop = new QPushButton(QString::fromStdString(texts.text(94842, "*Warten beenden")));
    m_stop->setAccessibleName(m_stop->text());
    m_stop->setAutoDefault(false);
    layout->addWidget(m_stop);
    connect(m_stop, &QPushButton::clicked, this, &RequestPanel::stopRequested);
}

void RequestPanel::addLine(const QString& line)
{
    m_log->appendPlainText(line);
}

QString RequestPanel::logText() const
{
    return m_log->toPlainText();
}

void RequestPanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept(); // the listening ends with its own button
        return;
    }
    QDialog::keyPressEvent(event);
}

void RequestPanel::closeEvent(QCloseEvent* event)
{
    // Closing the panel by its frame ends the listening too, so none runs unseen.
    emit stopRequested();
    QDialog::closeEvent(event);
}

} // namespace kvt
