#pragma once
// The function window of each page, and the options dialog: the one place of the
// program that knows every window.

#include "app/function_window.h"

#include <span>

class QWidget;

namespace kvt {

class AppController;

// Makes the window of one page; `services` reach the window unchanged, so tests can
// make the real windows with their own message boxes, viewer and clock.
using WindowFactory = FunctionWindow* (*)(AppController& controller, const WindowServices& services);

struct WindowFactoryEntry {
    int page;
    WindowFactory create;
};

// Every page that has a window of its own.
std::span<const WindowFactoryEntry> windowFactories();

// A new, not yet shown window for the page: the page's own window, a window with the
// title and the menu for a page whose window is not built yet, nullptr for pages
// without a window.
FunctionWindow* createPageWindow(int page, AppController& controller, const WindowServices& services = {});

// Runs the options dialog modally over the sender.
void runOptions(AppController& controller, QWidget* sender);

} // namespace kvt
