#pragma once
// A function window that shows its title and the window menu, for a function whose
// controls are not built yet: every menu entry still leads somewhere.

#include "app/function_window.h"

namespace kvt {

class TitleOnlyWindow final : public FunctionWindow {
    Q_OBJECT
public:
    TitleOnlyWindow(AppController& controller, int page);
};

} // namespace kvt
