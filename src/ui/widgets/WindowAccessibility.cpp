#include "widgets/WindowAccessibility.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace qz::ui {

namespace {

QAccessibleInterface* ToolWindowInterface(const QString&, QObject* object) {
    auto* w = qobject_cast<QWidget*>(object);
    // Dialogs and main windows have their own.
    if (!w || w->windowType() != Qt::Tool || w->inherits("QDialog") || w->inherits("QMainWindow")) return nullptr;
    return new QAccessibleWidget(w, QAccessible::Window);
}

} // namespace

void ExposeToolWindowsAsWindows() {
    static const bool installed = [] {
        QAccessible::installFactory(ToolWindowInterface);
        return true;
    }();
    (void)installed;
}

} // namespace qz::ui
