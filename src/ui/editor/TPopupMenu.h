#pragma once
#include <QMenu>

#include "editor/PopupMenus.h"

namespace qz::ui {

class TActionSet;

// A popup menu of a document window, made from the actions of its
// commands: the entries of the chosen menu, with the items that choice
// shows, and the submenus enabled as their commands are.
class TPopupMenu final : public QMenu {
    Q_OBJECT
public:
    // The menu deletes itself when it closes.
    TPopupMenu(const PopupChoice& choice, TActionSet& actions, bool debugItems, QWidget* parent);

private:
    void AddItem(QMenu* menu, QAction* command);
};

} // namespace qz::ui
