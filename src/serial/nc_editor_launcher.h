#pragma once
// Starts the external editor of an ExternalEditorPlan and tells the window when it has
// ended, so that the window can reload the file. The editor is started detached: it is
// the user's own window with possibly unsaved edits, so closing the transfer window or
// the program must never end it. Whether it still runs is checked twice a second.

#include "serial/nc_external_editor.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

namespace kvt {

class NcEditorLauncher : public QObject {
    Q_OBJECT
public:
    explicit NcEditorLauncher(QObject* parent = nullptr);

    // Starts the editor of a plan whose action is Launch; `ended` runs on this object's
    // thread once it has ended. False when nothing could be started (or one still runs).
    bool launch(const ExternalEditorPlan& plan, std::function<void()> ended);
    bool running() const { return m_pid != 0; }

    // Program and arguments: the external program with the file as its one argument, or
    // the desktop's text editor (Notepad from the system folder on Windows; on Linux the
    // application the desktop names for text files, else xdg-open).
    static QStringList command(const ExternalEditorPlan& plan);

private:
    void poll();

    QTimer m_poll;
    qint64 m_pid = 0;
    std::function<void()> m_ended;
};

} // namespace kvt
