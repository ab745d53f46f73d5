#pragma once
// The function window of each page, and the options dialog.

class QWidget;

namespace kvt {

class AppController;
class FunctionWindow;

// A new, not yet shown window for the page; nullptr for pages without a window.
FunctionWindow* createPageWindow(int page, AppController& controller);

// Runs the options dialog modally over the sender.
void runOptions(AppController& controller, QWidget* sender);

} // namespace kvt
