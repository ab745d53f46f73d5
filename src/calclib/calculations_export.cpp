#include "calclib/calculations_export.h"

#include "calclib/calculations_dialog.h"
#include "state/app_message.h"
#include "state/open_dialog_data.h"

#include <QApplication>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

// The program unloads the library before it loads it again and when it ends, while a
// dialog it closed may still wait for its deferred deletion. The library therefore stays
// in memory once loaded, so that the dialog's code is there when it goes.
void keepLibraryLoaded()
{
    static bool kept = false;
    if (kept)
        return;
    kept = true;
#if defined(_WIN32)
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
        reinterpret_cast<LPCWSTR>(&ShowCalculationsDialog_Common), &module);
#else
    Dl_info info {};
    if (dladdr(reinterpret_cast<void*>(&ShowCalculationsDialog_Common), &info) && info.dli_fname)
        dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
#endif
}

} // namespace

extern "C" void ShowCalculationsDialog_Common(void* mainWindow, kvt::OpenDialogData* state)
{
    if (!mainWindow || !state || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    keepLibraryLoaded();
    auto& port = *static_cast<kvt::MainWindowPort*>(mainWindow);
    auto* dialog = new kvt::CalculationsDialog(port, *state);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    if (port.send)
        port.send(port.context, static_cast<std::uint32_t>(kvt::AppMessage::RegisterCalcWindow),
            reinterpret_cast<std::intptr_t>(static_cast<QWidget*>(dialog)));
}
