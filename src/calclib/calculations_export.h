#pragma once
// The one entry of the common calculations library. The program loads the library at
// run time and calls this with its main window port and the central state.

#include "calclib/kvt_calclib_export.h"

namespace kvt {
struct OpenDialogData;
}

extern "C" {
// Opens the calculations dialog modeless and registers it with the program
// (UM_REGISTER_CALC_WINDOW). mainWindow is the program's MainWindowPort; state must
// live as long as the dialog. Does nothing without both or without a running
// QApplication.
KVT_CALCLIB_EXPORT void ShowCalculationsDialog_Common(void* mainWindow, kvt::OpenDialogData* state);
}
