#include "editor/TPopupMenu.h"

#include <vector>

#include "workspace/TActionSet.h"

namespace qz::ui {

TPopupMenu::TPopupMenu(const PopupChoice& choice, TActionSet& actions, bool debugItems, QWidget* parent)
    : QMenu(parent) {
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
            if (PopupItemVisible(entry.command, choice, debugItems)) menu->addAction(actions[entry.command]);
            break;
        }
    }
}

} // namespace qz::ui
