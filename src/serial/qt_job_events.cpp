#include "serial/qt_job_events.h"

#include <QMetaObject>

namespace kvt {

QtJobEvents::QtJobEvents(QObject* parent)
    : QObject(parent)
{
}

void QtJobEvents::queue(std::function<void()> call)
{
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void QtJobEvents::post(int message)
{
    queue([this, message] {
        if (m_handlers.post)
            m_handlers.post(message);
    });
}

void QtJobEvents::showMessage(MessageBoxRequest request)
{
    queue([this, request = std::move(request)] {
        if (m_handlers.showMessage)
            m_handlers.showMessage(request);
    });
}

void QtJobEvents::redraw()
{
    if (m_redrawPending.exchange(true))
        return;
    queue([this] {
        m_redrawPending = false;
        if (m_handlers.redraw)
            m_handlers.redraw();
    });
}

void QtJobEvents::clearSendCheck()
{
    queue([this] {
        if (m_handlers.clearSendCheck)
            m_handlers.clearSendCheck();
    });
}

void QtJobEvents::receiveStarted()
{
    queue([this] {
        if (m_handlers.receiveStarted)
            m_handlers.receiveStarted();
    });
}

} // namespace kvt
