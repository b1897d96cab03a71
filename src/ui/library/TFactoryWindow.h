#pragma once
#include "widgets/TToolWindow.h"

namespace qz::ui {

// "Factory": the object library: projects and the class hierarchy.
class TFactoryWindow final : public TToolWindow {
    Q_OBJECT
public:
    explicit TFactoryWindow(QWidget* parent);

    // The "Projects" tab lists the net files of this directory.
    void SetDirectory(const QString& directory);
    QString Directory() const { return directory_; }
    // The status text below the lists ("No File Loaded" after Close File).
    void SetStatusText(const QString& text);
    QString StatusText() const;
    // Reads the library index and the file list again.
    void Refresh();

private:
    QString directory_;
    class QLabel* status_ = nullptr;
};

} // namespace qz::ui
