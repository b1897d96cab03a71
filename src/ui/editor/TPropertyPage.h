#pragma once
#include <QWidget>
#include <vector>

#include "editor/PropertyGrid.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QToolButton;

namespace qz::ui {

// The "Properties" page's rows as controls a user (and a screen reader)
// reaches one by one: the row's name, its value as an edit field or a
// selection box, and the buttons and the "sec."/"stepwise" box beside it.
// The page shows a PropertyGrid's rows and reports what the user does;
// saving is the property window's.
class TPropertyPage final : public QWidget {
    Q_OBJECT
public:
    explicit TPropertyPage(QWidget* parent);

    // Shows the rows: the controls are kept and only their values set when
    // the rows are the same as before (a save must not destroy the control
    // that is being left), made anew otherwise.
    void Show(const std::vector<PropertyRow>& rows);
    int Rows() const { return int(rows_.size()); }
    QLabel* NameOf(int row) const { return rows_[std::size_t(row)].name; }
    QLineEdit* EditOf(int row) const { return rows_[std::size_t(row)].edit; }
    QComboBox* BoxOf(int row) const { return rows_[std::size_t(row)].box; }
    QToolButton* ButtonOf(int row) const { return rows_[std::size_t(row)].button; }
    QComboBox* ModeBox() const;

signals:
    // A value typed (the page is dirty), a typed value left with Enter or
    // by moving on, a box's choice, the time mode, a button, Escape.
    void typed(int row, const QString& text);
    void left(int row);
    void chosen(int row, const QString& text);
    void modeChosen(const QString& text);
    void buttonClicked(int row);
    void escaped();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    struct Row {
        QLabel* name = nullptr;
        QLineEdit* edit = nullptr;
        QComboBox* box = nullptr;
        QToolButton* button = nullptr;
        QComboBox* mode = nullptr;
        std::string shape;
    };
    void Build(const std::vector<PropertyRow>& rows);
    void Fill(const std::vector<PropertyRow>& rows);
    static std::string ShapeOf(const PropertyRow& r);

    QWidget* body_ = nullptr;
    std::vector<Row> rows_;
};

} // namespace qz::ui
