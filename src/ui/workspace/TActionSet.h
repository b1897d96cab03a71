#pragma once
#include <QObject>
#include <array>

#include "workspace/Commands.h"

class QAction;
class QToolButton;
class QWidget;

namespace qz::ui {

// The actions of every command, made once from the command table: menus,
// tool bars and popups all show these actions, so a command has one text,
// shortcut, picture, accessible name and enabled state wherever it appears.
class TActionSet final : public QObject {
    Q_OBJECT
public:
    explicit TActionSet(QWidget* owner);

    QAction* operator[](Cmd c) const { return actions_[static_cast<std::size_t>(c)]; }
    // A picture button for the tool bar or a tool page, showing the action.
    QToolButton* MakeButton(Cmd c, QWidget* parent) const;
    // Applies the enabling rules to every action.
    void Update(const CommandContext& context);

private:
    std::array<QAction*, kCommandCount> actions_{};
};

} // namespace qz::ui
