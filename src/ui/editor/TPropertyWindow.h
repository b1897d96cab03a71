#pragma once
#include <optional>
#include <vector>

#include "editor/ElementTables.h"
#include "editor/PropertyGrid.h"
#include "widgets/TToolWindow.h"

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableView;

namespace qz {
class TGraphItem;
class TNetList;
class TVariableTable;
} // namespace qz

namespace qz::ui {

class MainFrame;
class TDocForm;
class TElementTableModel;
class TPropertyPage;

// "Properties": the properties of the current element of the active
// document on the page "Properties" (or of the document's object when no
// element is current), and the tables of all places, transitions and arcs
// with the results of the formula checks. What the cells mean and how a
// page is saved is the PropertyGrid's and the ElementTables'; this window
// shows them in Qt item views, and each save is one undo step of the
// document.
class TPropertyWindow final : public TToolWindow {
    Q_OBJECT
public:
    TPropertyWindow(MainFrame& main, QWidget* parent);

    // The net whose elements are shown and its variables; null detaches.
    void SetNet(TNetList* net, TVariableTable* variables);
    TNetList* Net() const { return net_; }

    // The page shows the element (`Selected`), or the document's object
    // (`Deselected`).
    void Selected(TGraphItem* e);
    void Deselected();
    // The rows of the document's object.
    void FormSelected();
    // Forgets the element without saving (it is about to go).
    void ForgetSelection();
    // Saves an edit that was typed but not yet taken (the current element
    // is about to change).
    void SavePending();
    // The element list and the tables, listed anew (`ObjektListeAktualisieren`).
    void RefreshList();
    // The values the tables show (after a simulation step).
    void RefreshValues();
    // The results of the checks of a refused start, on the transitions and
    // arcs pages.
    void ShowFormulaResults();

    // The controls' handlers: the page, a row of each table.
    bool SaveToList();
    bool SavePlaces(std::size_t row, const std::vector<std::string>& cells);
    bool SaveTransitions(std::size_t row, const std::vector<std::string>& cells);
    bool SaveEdges(std::size_t row, const std::vector<std::string>& cells);
    void CheckTransBtnClick();
    void CheckArcsBtnClick();
    void ShowNextErrorBtnClick();
    void ShowNextArcErrorBtnClick();
    void ShowTransGroupClick(bool continuous);

    const PropertyGrid& Grid() const { return grid_; }
    const ElementTables& Tables() const { return tables_; }
    TPropertyPage* Page() const { return properties_; }
    QTabWidget* Pages() const { return pages_; }

private:
    void BuildPropertiesPage();
    QTableView* BuildTablePage(ElementTables::Table table, const char* objectName, const QString& title,
                               TElementTableModel*& model, QLabel*& count);
    void FillPage();
    void BoxChosen(int row, const QString& text);
    void ButtonClicked(int row);
    void FontClicked();
    bool SaveRow(ElementTables::Table table, std::size_t row, const std::vector<std::string>& cells);
    void RowPicked(ElementTables::Table table, int row);
    void Check(ElementTables::Table table);
    void NextError(ElementTables::Table table, QTableView* view);
    void ShowCounts();
    void ShowErrors();
    // Runs a change of the active document as one undo step; false when
    // there is no document.
    template <class F>
    bool Change(F change);
    TDocForm* Document() const;

    MainFrame& main_;
    TNetList* net_ = nullptr;
    TVariableTable* variables_ = nullptr;
    PropertyGrid grid_;
    ElementTables tables_;
    bool filling_ = false;

    QTabWidget* pages_ = nullptr;
    QComboBox* objects_ = nullptr;
    TPropertyPage* properties_ = nullptr;
    QLabel* status_ = nullptr;
    TElementTableModel* placeModel_ = nullptr;
    TElementTableModel* transModel_ = nullptr;
    TElementTableModel* arcModel_ = nullptr;
    QTableView* placeGrid_ = nullptr;
    QTableView* transGrid_ = nullptr;
    QTableView* arcGrid_ = nullptr;
    QLabel* placeCount_ = nullptr;
    QLabel* transCount_ = nullptr;
    QLabel* arcCount_ = nullptr;
    QRadioButton* discrete_ = nullptr;
    QRadioButton* continuous_ = nullptr;
    QLabel* transErrors_ = nullptr;
    QLabel* arcErrors_ = nullptr;
    QPushButton* nextError_ = nullptr;
    QPushButton* nextArcError_ = nullptr;
};

} // namespace qz::ui
