#include "app/title_only_window.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kvt {

TitleOnlyWindow::TitleOnlyWindow(AppController& controller, int page)
    : FunctionWindow(controller, page)
{
    auto* title = new QLabel(windowTitle(), this);
    title->setObjectName(QStringLiteral("pageTitle"));
    QFont font = title->font();
    font.setPointSizeF(font.pointSizeF() * 1.4);
    font.setBold(true);
    title->setFont(font);
    title->setAlignment(Qt::AlignCenter);
    contentLayout()->addWidget(title);
    resize(560, 300);
}

} // namespace kvt
