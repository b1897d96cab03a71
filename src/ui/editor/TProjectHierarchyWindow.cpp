#include "editor/TProjectHierarchyWindow.h"

#include <QAction>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "editor/Document.h"
#include "editor/ProjectHierarchy.h"
#include "editor/TDocForm.h"
#include "model/TPNObjekt.h"
#include "widgets/ControlNames.h"
#include "workspace/MainFrame.h"
#include "widgets/ScreenFit.h"

namespace qz::ui {

namespace {

void AddChildren(QTreeWidgetItem* parent, const ClassTreeNode& node, const QIcon& icon) {
    for (const ClassTreeNode& child : node.children) {
        auto* item = new QTreeWidgetItem(parent, {Q(child.text)});
        item->setIcon(0, icon);
        AddChildren(item, child, icon);
    }
}

} // namespace

TProjectHierarchyWindow::TProjectHierarchyWindow(MainFrame& main, QWidget* parent)
    : TToolWindow(QStringLiteral("TProjectHierarchyWindow"), QStringLiteral("Project Hierarchy"), parent, Qt::Tool),
      main_(main), tree_(Named(new QTreeWidget(this), "TreeView1", QStringLiteral("Objects by inheritance"))),
      popup_(Named(new QMenu(this), "PopupMenu1", QStringLiteral("Project Hierarchy menu"))),
      refresh_(new QAction(QStringLiteral("Refresh"), this)) {
    tree_->setHeaderHidden(true);
    // Hidden, but read out by screen readers.
    tree_->setHeaderLabel(QStringLiteral("Object"));
    tree_->setRootIsDecorated(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popup_->popup(tree_->viewport()->mapToGlobal(at)); });
    tree_->installEventFilter(this);
    refresh_->setObjectName(QStringLiteral("Refresh1"));
    connect(refresh_, &QAction::triggered, this, [this] { Refresh1Click(); });
    popup_->addAction(refresh_);
    Layout()->setContentsMargins(2, 2, 2, 2);
    Layout()->addWidget(tree_);
    resize(260, 320);
}

void TProjectHierarchyWindow::Refresh1Click() {
    tree_->clear();
    // One pair of pictures for every node: closed, and open when selected.
    QIcon icon;
    icon.addPixmap(style()->standardPixmap(QStyle::SP_DirClosedIcon), QIcon::Normal);
    icon.addPixmap(style()->standardPixmap(QStyle::SP_DirOpenIcon), QIcon::Selected);
    TDocForm* doc = main_.ActiveDocument();
    const TPNObjekt* root = doc ? doc->Document().Root() : nullptr;
    const ClassTreeNode tree = root ? ProjectHierarchyTree(*root) : ClassTreeNode{kEmptyObject, {}};
    auto* top = new QTreeWidgetItem(tree_, {Q(tree.text)});
    top->setIcon(0, icon);
    AddChildren(top, tree, icon);
    tree_->expandAll();
    tree_->setCurrentItem(top);
}

bool TProjectHierarchyWindow::eventFilter(QObject* watched, QEvent* e) {
    if (watched != tree_ || e->type() != QEvent::KeyPress) return TToolWindow::eventFilter(watched, e);
    // The menu key and Shift+F10 open the popup at the current node.
    const auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() != Qt::Key_Menu && !(k->key() == Qt::Key_F10 && k->modifiers() == Qt::ShiftModifier)) return false;
    QTreeWidgetItem* item = tree_->currentItem();
    const QPoint at = item ? tree_->visualItemRect(item).bottomLeft() : QPoint(0, 0);
    popup_->popup(tree_->viewport()->mapToGlobal(at));
    return true;
}

void TProjectHierarchyWindow::PlaceFirstTime() {
    placed_ = true;
    const auto* main = qobject_cast<const QMainWindow*>(parentWidget());
    const QWidget* area = main && main->centralWidget() ? main->centralWidget() : parentWidget();
    if (!area) return;
    const QRect r(area->mapToGlobal(QPoint(0, 0)), area->size());
    QPoint at(r.right() - width() - 24, r.bottom() - height() - 8);
    move(at);
    // Never off the screen, whatever the main window's size.
    FitOnScreen(this);
}

void TProjectHierarchyWindow::showEvent(QShowEvent* e) {
    if (!placed_) PlaceFirstTime();
    TToolWindow::showEvent(e);
    Refresh1Click();
}

} // namespace qz::ui
