#pragma once
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace qz::ui {

// A small window of the main window that stays above it: the common frame
// of the tool windows (caption, object and accessible name, tool-window
// border). Windows that other work fills in start with a short note of what
// they will show.
class TToolWindow : public QWidget {
    Q_OBJECT
public:
    TToolWindow(const QString& objectName, const QString& caption, QWidget* parent,
                Qt::WindowFlags flags = Qt::Tool);

protected:
    QVBoxLayout* Layout() const { return layout_; }
    QLabel* AddNote(const QString& text);

private:
    QVBoxLayout* layout_;
};

} // namespace qz::ui
