#pragma once
#include <QMenu>

#include "editor/PopupMenus.h"

namespace qz::ui {

class TActionSet;

// A popup menu of a document window, made of the shared actions of its
// commands: the entries of the chosen menu, with the items that choice
// shows and the submenus enabled as their commands are.
class TPopupMenu final : public QMenu {
    Q_OBJECT
public:
    TPopupMenu(const PopupChoice& choice, TActionSet& actions, bool debugItems, QWidget* parent);
};

} // namespace qz::ui
