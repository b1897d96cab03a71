#pragma once
#include "widgets/TToolWindow.h"

class QAction;
class QMenu;
class QTreeWidget;

namespace qz::ui {

class MainFrame;

// "Project Hierarchy": the objects of the active document's hierarchy as a
// tree ordered by inheritance below "Empty Object", shown fully expanded.
// "Refresh" (the popup menu, also from the keyboard's menu key) builds it
// anew; so does showing the window.
class TProjectHierarchyWindow final : public TToolWindow {
    Q_OBJECT
public:
    TProjectHierarchyWindow(MainFrame& main, QWidget* parent);

    QTreeWidget* Tree() const { return tree_; }
    QMenu* Popup() const { return popup_; }
    // "Refresh": the tree of the active document.
    void Refresh1Click();

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // The first time it shows: at the bottom right of the document area,
    // below where the navigator opens.
    void PlaceFirstTime();

    MainFrame& main_;
    QTreeWidget* tree_;
    QMenu* popup_;
    QAction* refresh_;
    bool placed_ = false;
};

} // namespace qz::ui
