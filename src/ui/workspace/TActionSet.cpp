#include "workspace/TActionSet.h"

#include <QAction>
#include <QToolButton>
#include <QWidget>

#include "widgets/Pictures.h"

namespace qz::ui {

TActionSet::TActionSet(QWidget* owner) : QObject(owner) {
    for (const CommandInfo& c : AllCommands()) {
        auto* a = new QAction(owner);
        a->setObjectName(QString::fromLatin1(c.objectName));
        a->setText(QString::fromLatin1(*c.text ? c.text : c.hint));
        if (*c.hint) a->setToolTip(QString::fromLatin1(c.hint));
        if (*c.shortcut) {
            a->setShortcuts(QKeySequence::listFromString(QString::fromLatin1(c.shortcut)));
            a->setShortcutContext(Qt::ApplicationShortcut);
        }
        if (*c.icon) a->setIcon(NamedIcon(QString::fromLatin1(c.icon)));
        a->setCheckable(c.checkable);
        a->setChecked(c.checked);
        a->setVisible(c.visible);
        a->setEnabled(c.enabled);
        // Tool tips of picture buttons show their hint; menus show no icons.
        a->setIconVisibleInMenu(false);
        actions_[static_cast<std::size_t>(c.id)] = a;
    }
}

QToolButton* TActionSet::MakeButton(Cmd c, QWidget* parent) const {
    const CommandInfo& info = InfoOf(c);
    auto* b = new QToolButton(parent);
    b->setDefaultAction((*this)[c]);
    b->setObjectName(QString::fromLatin1(info.objectName));
    b->setAccessibleName(QString::fromLatin1(AccessibleNameOf(info)));
    b->setToolButtonStyle(*info.text ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonIconOnly);
    b->setAutoRaise(true);
    b->setIconSize(QSize(22, 22));
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

void TActionSet::Update(const CommandContext& context) {
    for (const CommandInfo& c : AllCommands()) {
        QAction* a = (*this)[c.id];
        const bool on = CommandEnabled(c.id, context);
        if (a->isEnabled() != on) a->setEnabled(on);
    }
}

} // namespace qz::ui
