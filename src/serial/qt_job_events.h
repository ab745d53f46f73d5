#pragma once
// The Qt side of JobEvents: every report of a job thread becomes a queued call on the
// thread of this object (the window's), so no job ever touches a widget. A report
// still queued when the object goes is dropped with it. Redraw requests are folded
// into one pending call, so a fast receive cannot flood the event queue.

#include "serial/serial_link.h"

#include <QObject>

#include <atomic>
#include <functional>

namespace kvt {

class QtJobEvents final : public QObject, public JobEvents {
    Q_OBJECT
public:
    // Each handler runs on this object's thread; an empty one ignores its report.
    struct Handlers {
        std::function<void(int message)> post;
        std::function<void(const MessageBoxRequest&)> showMessage;
        std::function<void()> redraw;
        std::function<void()> clearSendCheck;
        std::function<void()> receiveStarted;
    };

    explicit QtJobEvents(QObject* parent = nullptr);
    void setHandlers(Handlers handlers) { m_handlers = std::move(handlers); }

    void post(int message) override;
    void showMessage(MessageBoxRequest request) override;
    void redraw() override;
    void clearSendCheck() override;
    void receiveStarted() override;

private:
    void queue(std::function<void()> call);

    Handlers m_handlers;
    std::atomic<bool> m_redrawPending {false};
};

} // namespace kvt
