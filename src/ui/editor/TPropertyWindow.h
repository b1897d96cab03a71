#pragma once
#include "widgets/TToolWindow.h"

namespace qz {
class TNetList;
class TVariableTable;
} // namespace qz

namespace qz::ui {

// "Properties": the properties of the current element and the tables of all places, transitions and arcs.
class TPropertyWindow final : public TToolWindow {
    Q_OBJECT
public:
    explicit TPropertyWindow(QWidget* parent);

    // The net whose elements are shown and its variables; null detaches.
    void SetNet(TNetList* net, TVariableTable* variables);
    TNetList* Net() const { return net_; }
    // Forgets the current element.
    void ForgetSelection();
    // Reloads the element list.
    void RefreshList();
    // Shows the results of the last formula check.
    void ShowFormulaResults();

private:
    TNetList* net_ = nullptr;
    TVariableTable* variables_ = nullptr;
};

} // namespace qz::ui
