#include "library/TFactoryWindow.h"

#include <QAction>
#include <QDir>
#include <QDrag>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>
#include <functional>

#include "common/FileSystem.h"
#include "common/ProgramDirectories.h"
#include "editor/Document.h"
#include "editor/TDocForm.h"
#include "editor/TPropertyWindow.h"
#include "model/ObjectLibrary.h"
#include "model/TPNObjekt.h"
#include "platform/Services.h"
#include "widgets/ControlNames.h"
#include "widgets/Pictures.h"
#include "workspace/ClassDrag.h"
#include "workspace/MainFrame.h"
#include "workspace/TActionSet.h"
#include "workspace/TAppWindows.h"
#include "workspace/Workspace.h"

namespace qz::ui {

namespace {

// The class tree: a class node is dragged as its class name under the
// class drag format, always as a copy (the tree keeps its node).
class ClassTree final : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

protected:
    QStringList mimeTypes() const override { return {QString::fromLatin1(kClassDragFormat)}; }
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override {
        if (items.isEmpty() || !(items.first()->flags() & Qt::ItemIsDragEnabled)) return nullptr;
        auto* mime = new QMimeData;
        mime->setData(QString::fromLatin1(kClassDragFormat), items.first()->text(0).toUtf8());
        return mime;
    }
    void startDrag(Qt::DropActions) override {
        QTreeWidgetItem* item = currentItem();
        if (!item) return;
        QMimeData* mime = mimeData({item});
        if (!mime) return;
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        drag->setPixmap(NamedPixmap(QStringLiteral("Obj"), 24, devicePixelRatioF()));
        drag->exec(Qt::CopyAction, Qt::CopyAction);
    }
};

QToolButton* Button(QWidget* parent, const char* objectName, const char* hint, const QString& glyph,
                    const QString& caption = QString()) {
    auto* b = Named(new QToolButton(parent), objectName, caption.isEmpty() ? QString::fromLatin1(hint) : caption);
    b->setToolTip(QString::fromLatin1(hint));
    b->setAutoRaise(true);
    if (!glyph.isEmpty()) {
        b->setIcon(NamedIcon(glyph));
        b->setIconSize(QSize(20, 20));
    }
    if (!caption.isEmpty()) {
        b->setText(caption);
        b->setToolButtonStyle(glyph.isEmpty() ? Qt::ToolButtonTextOnly : Qt::ToolButtonTextBesideIcon);
    }
    return b;
}

QAction* Item(QMenu* menu, const char* objectName, const char* text) {
    QAction* a = menu->addAction(QString::fromLatin1(text));
    a->setObjectName(QString::fromLatin1(objectName));
    return a;
}

void AddNodes(QTreeWidgetItem* parent, const ClassTreeNode& node, const QIcon& icon) {
    for (const ClassTreeNode& child : node.children) {
        auto* item = new QTreeWidgetItem(parent, {Q(child.text)});
        item->setIcon(0, icon);
        item->setToolTip(0, item->text(0));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
        AddNodes(item, child, icon);
    }
}

} // namespace

TFactoryWindow::TFactoryWindow(MainFrame& main, QWidget* parent)
    : TToolWindow(QStringLiteral("TFactoryWindow"), QString::fromLatin1(kFactoryCaption), parent, Qt::Widget),
      main_(main) {
    Layout()->setContentsMargins(2, 2, 2, 2);
    Layout()->setSpacing(2);
    pages_ = Named(new QTabWidget(this), "PageControl1", QStringLiteral("Library pages"));
    pages_->setDocumentMode(true);
    Layout()->addWidget(pages_, 1);

    // "Projects": the tool bar above the file list.
    auto* projects = Named(new QWidget(pages_), "Projects", QString::fromLatin1(kProjectsTab));
    auto* projectsLayout = new QVBoxLayout(projects);
    projectsLayout->setContentsMargins(0, 2, 0, 0);
    projectsLayout->setSpacing(2);
    toolbar_ = Named(new QWidget(projects), "ToolbarPanel", QStringLiteral("Factory tool bar"));
    auto* row = new QHBoxLayout(toolbar_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    QToolButton* dataBtn = Button(toolbar_, "SpeedButton1", kDataButtonHint, QStringLiteral("Open"));
    QToolButton* tutorial = Button(toolbar_, "SpeedButton2", kTutorialHint, QString(), QString::fromLatin1(kTutorialCaption));
    deleteBtn_ = Button(toolbar_, "DeleteBtn", kDeleteFileHint, QStringLiteral("Close"));
    QToolButton* objects = Button(toolbar_, "OpenObjects", kObjectsButtonHint, QStringLiteral("Obj"));
    for (QToolButton* b : {dataBtn, tutorial, objects, deleteBtn_}) row->addWidget(b);
    row->addStretch(1);
    projectsLayout->addWidget(toolbar_);
    files_ = Named(new QListWidget(projects), "FileListBox1", QStringLiteral("Net files"));
    files_->setToolTip(QString::fromLatin1(kFileListHint));
    files_->setSelectionMode(QAbstractItemView::SingleSelection);
    files_->setContextMenuPolicy(Qt::CustomContextMenu);
    files_->installEventFilter(this);
    projectsLayout->addWidget(files_, 1);
    pages_->addTab(projects, QString::fromLatin1(kProjectsTab));

    // "Hierarchy": the class tree.
    auto* hierarchy = Named(new QWidget(pages_), "Hierarchy", QString::fromLatin1(kHierarchyTab));
    auto* hierarchyLayout = new QVBoxLayout(hierarchy);
    hierarchyLayout->setContentsMargins(0, 2, 0, 0);
    tree_ = Named(new ClassTree(hierarchy), "TV", QStringLiteral("Object classes"));
    tree_->setHeaderHidden(true);
    // Hidden, but read out by screen readers.
    tree_->setHeaderLabel(QStringLiteral("Class"));
    // Long class names scroll rather than being cut.
    tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree_->header()->setStretchLastSection(false);
    tree_->setTextElideMode(Qt::ElideNone);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setDragEnabled(true);
    tree_->setDragDropMode(QAbstractItemView::DragOnly);
    tree_->setExpandsOnDoubleClick(false);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    hierarchyLayout->addWidget(tree_, 1);
    pages_->addTab(hierarchy, QString::fromLatin1(kHierarchyTab));

    status_ = Named(new QLabel(this), "StatusBar1", QString::fromLatin1(kNoFileLoadedStatus));
    status_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    status_->setTextInteractionFlags(Qt::NoTextInteraction);
    Layout()->addWidget(status_);
    SetStatusText(QString::fromLatin1(kNoFileLoadedStatus));

    // The popups.
    filePopup_ = Named(new QMenu(this), "FactoryPopUpMenu", QStringLiteral("Factory"));
    load_ = Item(filePopup_, "LoadFile1", "Load File");
    delete_ = Item(filePopup_, "DeleteFile1", "Delete File");
    delete_->setShortcut(QKeySequence(Qt::Key_Delete));
    delete_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    merge_ = Item(filePopup_, "MergeFile1", "Merge File");
    filePopup_->addSeparator();
    showToolbar_ = Item(filePopup_, "ShowToolbar1", "Show Toolbar");
    showToolbar_->setCheckable(true);
    showToolbar_->setChecked(true);
    makeObject_ = Item(filePopup_, "MakeObject1", "Make Object");
    makeObject_->setVisible(false);
    refreshWindow_ = Item(filePopup_, "RefreshWindow1", "Refresh Window");
    files_->addAction(delete_);
    treePopup_ = Named(new QMenu(this), "TVPopupMenu", QStringLiteral("Hierarchy"));
    QAction* refresh = Item(treePopup_, "Refresh1", "Refresh");

    connect(dataBtn, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(tutorial, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
    connect(objects, &QToolButton::clicked, this, [this] { OpenObjectsClick(); });
    connect(deleteBtn_, &QToolButton::clicked, this, [this] { DeleteBtnClick(); });
    connect(files_, &QListWidget::itemClicked, this, [this] { FileListBox1Click(); });
    connect(files_, &QListWidget::itemSelectionChanged, this, [this] { UpdateFileCommands(); });
    connect(files_, &QListWidget::itemDoubleClicked, this, [this] { LoadFile1Click(); });
    connect(files_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (QListWidgetItem* item = files_->itemAt(at)) files_->setCurrentItem(item);
        UpdateFileCommands();
        filePopup_->popup(files_->viewport()->mapToGlobal(at));
    });
    connect(load_, &QAction::triggered, this, [this] { LoadFile1Click(); });
    connect(delete_, &QAction::triggered, this, [this] { DeleteBtnClick(); });
    connect(merge_, &QAction::triggered, this, [this] { MergeFile1Click(); });
    connect(showToolbar_, &QAction::toggled, this, [this](bool on) { ShowToolbar1Click(on); });
    connect(makeObject_, &QAction::triggered, this, [this] { MakeObject1Click(); });
    connect(refreshWindow_, &QAction::triggered, this, [this] { RefreshWindow1Click(); });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { TVDblClick(item); });
    connect(tree_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { treePopup_->popup(tree_->viewport()->mapToGlobal(at)); });
    connect(refresh, &QAction::triggered, this, [this] { Refresh1Click(); });

    // The working directory, or its "Data" directory when it has one.
    const StartDirectoryChoice start = StartDirectory(QDir::currentPath().toStdString());
    if (start.failed) Platform().messages->Info(kNoNetworkText);
    SetDirectory(Q(start.directory));
    pages_->setCurrentIndex(0);
    connect(pages_, &QTabWidget::currentChanged, this, [this](int index) { PageControl1Change(index); });
    RebuildLibrary();
}

// ---------------------------------------------------------------------------
// The file list

void TFactoryWindow::SetDirectory(const QString& directory) {
    if (directory != directory_) files_->clear();
    directory_ = directory;
    RefreshFileList();
}

void TFactoryWindow::RefreshFileList() {
    const QString chosen = files_->currentItem() && files_->currentItem()->isSelected() ? files_->currentItem()->text()
                                                                                       : QString();
    const QSignalBlocker block(files_);
    files_->clear();
    const QIcon icon = NamedIcon(QStringLiteral("New"));
    if (const auto names = NetFilesIn(directory_.toStdString())) {
        for (const std::string& name : *names) {
            auto* item = new QListWidgetItem(icon, Q(name), files_);
            item->setToolTip(QDir(directory_).filePath(item->text()));
            if (item->text() == chosen) {
                files_->setCurrentItem(item);
                item->setSelected(true);
            }
        }
    }
    files_->setAccessibleDescription(directory_);
    UpdateFileCommands();
}

QString TFactoryWindow::SelectedFile() const {
    const QListWidgetItem* item = files_->currentItem();
    if (!item || !item->isSelected()) return QString();
    return QDir(directory_).filePath(item->text());
}

void TFactoryWindow::UpdateFileCommands() {
    const bool chosen = !SelectedFile().isEmpty();
    deleteBtn_->setEnabled(chosen);
    delete_->setEnabled(chosen);
    load_->setEnabled(chosen);
    // Like "Paste": not into a window that only shows a net.
    const TDocForm* active = main_.ActiveDocument();
    merge_->setEnabled(chosen && active && active->Document().editingEnabled);
}

void TFactoryWindow::SwitchTo(FactoryDirectory d) {
    const std::string dir = fs::ProgramDirectory() + DirectoryName(d);
    if (fs::DirectoryExists(dir)) {
        SetDirectory(Q(dir));
    } else {
        Platform().messages->Info(MissingDirectoryText(d, fs::ProgramDirectory()));
    }
    files_->clearSelection();
    files_->setCurrentItem(nullptr);
    UpdateFileCommands();
}

void TFactoryWindow::SpeedButton1Click() { SwitchTo(FactoryDirectory::Data); }

void TFactoryWindow::SpeedButton2Click() { SwitchTo(FactoryDirectory::Tutorial); }

void TFactoryWindow::OpenObjectsClick() { SwitchTo(FactoryDirectory::Objects); }

void TFactoryWindow::FileListBox1Click() { UpdateFileCommands(); }

void TFactoryWindow::LoadFile1Click() {
    const QString path = SelectedFile();
    if (path.isEmpty()) return;
    QPointer<TFactoryWindow> self(this);
    // Reading a net sets what the engine reads: not under a running loop.
    main_.Workspace().RunWhenIdle([self, file = path.toStdString()] {
        if (self && self->main_.OpenFile(file)) self->SetStatusText(Q(FileNameOnly(file)));
    });
}

void TFactoryWindow::DeleteBtnClick() {
    const QString chosen = SelectedFile();
    if (chosen.isEmpty()) return;
    const std::string path = chosen.toStdString();
    std::vector<OpenDocumentRef> documents;
    for (TDocForm* form : main_.Documents()) {
        documents.push_back({form->Document().Caption(), form->Document().Root()});
    }
    const std::vector<std::string> users = UsersOfClassFile(path, ObjectLibrary(), documents);
    if (Platform().messages->Show(DeleteFileQuestion(path, users), users.empty() ? MsgKind::Confirmation : MsgKind::Warning,
                                  MsgButtons::YesCancel) != MsgAnswer::Yes) {
        return;
    }
    QPointer<TFactoryWindow> self(this);
    main_.Workspace().RunWhenIdle([self, path] {
        if (!self) return;
        MainFrame& main = self->main_;
        if (TDocForm* active = main.ActiveDocument();
            active && !active->Document().FileName().empty() && fs::SameFile(active->Document().FileName(), path)) {
            // The user may keep the document (Cancel in its close question):
            // then the file stays as well.
            if (!active->SubWindow() || !active->SubWindow()->close()) return;
            self->SetStatusText(QString::fromLatin1(kNoFileLoadedStatus));
        }
        std::error_code ec;
        if (!std::filesystem::remove(path, ec) || ec) {
            Platform().messages->Error("The file \"" + path + "\" could not be deleted" +
                                       (ec ? " (" + ec.message() + ")." : "."));
        }
        self->RefreshFileList();
        self->RebuildLibrary();
    });
}

void TFactoryWindow::MergeFile1Click() {
    const QString path = SelectedFile();
    if (path.isEmpty()) return;
    TDocForm* form = main_.ActiveDocument();
    if (!form) {
        Platform().messages->Info(kNoDocumentToMerge);
        return;
    }
    QPointer<TFactoryWindow> self(this);
    QPointer<TDocForm> target(form);
    main_.Workspace().RunWhenIdle([self, target, file = path.toStdString()] {
        if (!self || !target || !self->main_.IsOpen(target)) return;
        MainFrame& main = self->main_;
        TDocument& doc = target->Document();
        if (!doc.editingEnabled) return;
        if (doc.simulationMode) {
            Platform().messages->Info(kMergeInSimulation);
            main.Actions()[Cmd::Simulation]->setChecked(false);
            if (!target || doc.simulationMode) return;
        }
        target->CloseEditors();
        target->SelectElement(nullptr);
        const MergeOutcome merged = MergeNetFile(doc, file);
        if (!merged.read) return;
        if (TPropertyWindow* properties = main.Windows().properties) properties->RefreshList();
        main.UpdateCommands();
        target->FormResize();
        target->InvalidateWindow();
        if (merged.leftOut) Platform().messages->Info(LeftOutText(file, merged.leftOut));
    });
}

void TFactoryWindow::ShowToolbar1Click(bool shown) { toolbar_->setVisible(shown); }

void TFactoryWindow::MakeObject1Click() {
    TDocForm* form = main_.ActiveDocument();
    if (!form || !form->Document().Root()) return;
    TObjectLibrary& library = ObjectLibrary();
    library.names.push_back(form->Document().Root()->name);
    library.files.push_back(form->Document().FileName());
    if (!fs::ProgramDirectoryWritable()) return; // the session writes no index
    std::string error;
    const std::string home = fs::ProgramDirectory();
    if (!fs::WriteTextLines(home + kObjectNameFile, library.names, &error) ||
        !fs::WriteTextLines(home + kObjectFileFile, library.files, &error)) {
        Platform().messages->Error(IndexWriteFaultText(error));
    }
}

void TFactoryWindow::RefreshWindow1Click() {
    RefreshFileList();
    RebuildLibrary();
}

bool TFactoryWindow::eventFilter(QObject* watched, QEvent* e) {
    if (watched == files_ && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            LoadFile1Click();
            return true;
        }
    }
    return TToolWindow::eventFilter(watched, e);
}

// ---------------------------------------------------------------------------
// The library and its class tree

void TFactoryWindow::Refresh() {
    RefreshFileList();
    if (LibraryStamp() != libraryStamp_) RebuildLibrary();
}

void TFactoryWindow::RebuildLibrary() {
    std::string error;
    const bool written = ObjectLibrary().Rebuild(&error);
    libraryStamp_ = LibraryStamp();
    FillTree();
    if (!written) Platform().messages->Error(IndexWriteFaultText(error));
}

void TFactoryWindow::FillTree() {
    const ClassTreeNode& tree = ObjectLibrary().tree;
    tree_->setUpdatesEnabled(false);
    tree_->clear();
    auto* top = new QTreeWidgetItem(tree_, {Q(tree.text)});
    top->setIcon(0, NamedIcon(QStringLiteral("New")));
    top->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    AddNodes(top, tree, NamedIcon(QStringLiteral("Obj")));
    tree_->expandAll();
    tree_->setCurrentItem(top);
    tree_->setUpdatesEnabled(true);
}

void TFactoryWindow::TVDblClick(QTreeWidgetItem* item) {
    if (!item) return;
    const std::string name = item->text(0).toStdString();
    // "Empty Object" and the like are no classes: nothing opens.
    if (ObjectLibrary().IndexOf(name) < 0) return;
    QPointer<TFactoryWindow> self(this);
    main_.Workspace().RunWhenIdle([self, name] {
        if (self) self->main_.OpenClass(name);
    });
}

void TFactoryWindow::Refresh1Click() { RebuildLibrary(); }

void TFactoryWindow::PageControl1Change(int index) {
    if (pages_->widget(index) && pages_->widget(index)->objectName() == QLatin1String("Hierarchy")) RebuildLibrary();
}

// ---------------------------------------------------------------------------

void TFactoryWindow::SetStatusText(const QString& text) {
    status_->setText(text);
    status_->setAccessibleName(text);
}

QString TFactoryWindow::StatusText() const { return status_->text(); }

} // namespace qz::ui
