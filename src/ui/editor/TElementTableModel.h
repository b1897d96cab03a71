#pragma once
#include <QAbstractTableModel>
#include <functional>
#include <string>
#include <vector>

#include "editor/ElementTables.h"

namespace qz::ui {

// One table of the property window ("Places", "Transitions", "Arcs") as Qt
// item views show it: the cells of the tables' rows, read when they are
// drawn, the check column with its mark, at least one (empty) data row.
// An edited cell is handed to `saveRow` with the row's other cells.
class TElementTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    TElementTableModel(ElementTables& tables, ElementTables::Table table, QObject* parent);

    // The rows were listed anew; the values changed (after a step).
    void Reset();
    void ValuesChanged();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    std::function<bool(std::size_t row, const std::vector<std::string>& cells)> saveRow;

private:
    int CheckColumn() const;

    ElementTables& tables_;
    ElementTables::Table table_;
};

} // namespace qz::ui
