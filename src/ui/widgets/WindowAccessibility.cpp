#include "widgets/WindowAccessibility.h"

#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QApplication>
#include <QMenu>
#include <QWidget>

namespace qz::ui {

namespace {

// The application as screen readers see it: its windows, and the popup
// menus that are open (the platform leaves popups out).
class ApplicationWithPopups final : public QAccessibleApplication {
public:
    int childCount() const override { return QAccessibleApplication::childCount() + int(Popups().size()); }

    QAccessibleInterface* child(int index) const override {
        const int windows = QAccessibleApplication::childCount();
        if (index < windows) return QAccessibleApplication::child(index);
        const QList<QMenu*> popups = Popups();
        index -= windows;
        return index < popups.size() ? QAccessible::queryAccessibleInterface(popups[index]) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        const int i = QAccessibleApplication::indexOfChild(child);
        if (i >= 0 || !child) return i;
        const int p = int(Popups().indexOf(qobject_cast<QMenu*>(child->object())));
        return p < 0 ? -1 : QAccessibleApplication::childCount() + p;
    }

private:
    static QList<QMenu*> Popups() {
        QList<QMenu*> popups;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* menu = qobject_cast<QMenu*>(w);
            if (menu && menu->isVisible()) popups << menu;
        }
        return popups;
    }
};

QAccessibleInterface* WindowInterface(const QString& className, QObject* object) {
    if (object == qApp && className == QLatin1String("QApplication")) return new ApplicationWithPopups;
    auto* w = qobject_cast<QWidget*>(object);
    // Dialogs and main windows have their own.
    if (!w || w->windowType() != Qt::Tool || w->inherits("QDialog") || w->inherits("QMainWindow")) return nullptr;
    return new QAccessibleWidget(w, QAccessible::Window);
}

} // namespace

void ExposeToolWindowsAsWindows() {
    static const bool installed = [] {
        QAccessible::installFactory(WindowInterface);
        // The application's interface may have been made before: the next
        // question makes it anew, with its popups.
        if (QAccessibleInterface* app = QAccessible::queryAccessibleInterface(qApp);
            app && !dynamic_cast<ApplicationWithPopups*>(app)) {
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(app));
        }
        return true;
    }();
    (void)installed;
}

} // namespace qz::ui
