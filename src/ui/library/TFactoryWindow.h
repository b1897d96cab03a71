#pragma once
#include <string>

#include "library/FactoryLogic.h"
#include "widgets/TToolWindow.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace qz::ui {

class MainFrame;

// "Factory": the object library, docked in the main window. "Projects"
// lists the net files of a directory (load, merge, delete; buttons for the
// data, tutorial and library directories), "Hierarchy" the library's
// classes ordered by inheritance, from which a class is dragged onto a
// document or opened by a double click.
class TFactoryWindow final : public TToolWindow {
    Q_OBJECT
public:
    TFactoryWindow(MainFrame& main, QWidget* parent);

    // The "Projects" tab lists the net files of this directory.
    void SetDirectory(const QString& directory);
    QString Directory() const { return directory_; }
    // The status text below the lists ("No File Loaded" after Close File).
    void SetStatusText(const QString& text);
    QString StatusText() const;
    // Lists the directory's files again and, when the library directory
    // changed since the last rebuild, rebuilds the library (a save into it,
    // "Abstract Current Object").
    void Refresh();
    // Scans the library directory, writes the index files and shows the
    // class tree; says so when the index files cannot be written.
    void RebuildLibrary();
    // The full path of the file chosen in the list (empty when none is).
    QString SelectedFile() const;

    // Buttons.
    void SpeedButton1Click();
    void SpeedButton2Click();
    void OpenObjectsClick();
    void DeleteBtnClick();
    // The file list and its popup.
    void FileListBox1Click();
    void LoadFile1Click();
    void MergeFile1Click();
    void ShowToolbar1Click(bool shown);
    void MakeObject1Click();
    void RefreshWindow1Click();
    // The class tree and its popup.
    void TVDblClick(QTreeWidgetItem* item);
    void Refresh1Click();
    void PageControl1Change(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void SwitchTo(FactoryDirectory d);
    void RefreshFileList();
    void FillTree();
    void UpdateFileCommands();

    MainFrame& main_;
    QString directory_;
    std::string libraryStamp_;
    QLabel* status_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QWidget* toolbar_ = nullptr;
    QListWidget* files_ = nullptr;
    QToolButton* deleteBtn_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QMenu* filePopup_ = nullptr;
    QMenu* treePopup_ = nullptr;
    QAction* load_ = nullptr;
    QAction* delete_ = nullptr;
    QAction* merge_ = nullptr;
    QAction* showToolbar_ = nullptr;
    QAction* makeObject_ = nullptr;
    QAction* refreshWindow_ = nullptr;
};

} // namespace qz::ui
