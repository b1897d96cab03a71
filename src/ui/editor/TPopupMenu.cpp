#include "editor/TPopupMenu.h"

#include <vector>

#include "workspace/TActionSet.h"

namespace qz::ui {

TPopupMenu::TPopupMenu(const PopupChoice& choice, TActionSet& actions, bool debugItems, QWidget* parent)
    : QMenu(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("PopupMenu"));
    setAccessibleName(QStringLiteral("Popup menu"));
    std::vector<QMenu*> open{this};
    for (const PopupEntry& entry : EntriesOf(choice.menu)) {
        QMenu* menu = open.back();
        switch (entry.kind) {
        case PopupEntry::Kind::Separator: menu->addSeparator(); break;
        case PopupEntry::Kind::EndSubmenu:
            if (open.size() > 1) open.pop_back();
            break;
        case PopupEntry::Kind::Submenu: {
            const CommandInfo& info = InfoOf(entry.command);
            QMenu* sub = menu->addMenu(QString::fromLatin1(info.text));
            sub->setObjectName(QString::fromLatin1(info.objectName));
            sub->setAccessibleName(sub->title());
            sub->menuAction()->setVisible(PopupItemVisible(entry.command, choice, debugItems));
            sub->menuAction()->setEnabled(actions[entry.command]->isEnabled());
            open.push_back(sub);
            break;
        }
        case PopupEntry::Kind::Item:
            if (PopupItemVisible(entry.command, choice, debugItems)) AddItem(menu, actions[entry.command]);
            break;
        }
    }
}

void TPopupMenu::AddItem(QMenu* menu, QAction* command) {
    // An item of its own that stands for the command: the same text, name
    // and state, and choosing it is choosing the command. Screen readers
    // see each item in the menu it is in (an action shared by two menus is
    // known to them in the first only).
    QAction* item = menu->addAction(command->text());
    item->setObjectName(command->objectName());
    item->setEnabled(command->isEnabled());
    item->setCheckable(command->isCheckable());
    item->setChecked(command->isChecked());
    connect(item, &QAction::triggered, command, [command] { command->trigger(); });
    // Chosen through the accessibility tree, the menu closes as after a click.
    connect(item, &QAction::triggered, this, &QWidget::close);
}

} // namespace qz::ui
