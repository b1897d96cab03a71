#include "editor/TElementTableModel.h"

#include <QBrush>
#include <QFont>

#include "widgets/Pictures.h"

namespace qz::ui {

TElementTableModel::TElementTableModel(ElementTables& tables, ElementTables::Table table, QObject* parent)
    : QAbstractTableModel(parent), tables_(tables), table_(table) {}

void TElementTableModel::Reset() {
    beginResetModel();
    endResetModel();
}

void TElementTableModel::ValuesChanged() {
    if (tables_.Rows(table_) == 0) return;
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
}

int TElementTableModel::rowCount(const QModelIndex& parent) const {
    // A table shows one data row at least.
    return parent.isValid() ? 0 : std::max<int>(1, int(tables_.Rows(table_)));
}

int TElementTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(ElementTables::Headers(table_, true).size());
}

int TElementTableModel::CheckColumn() const {
    return table_ == ElementTables::Table::Places ? -1 : columnCount() - 1;
}

QVariant TElementTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || std::size_t(index.row()) >= tables_.Rows(table_)) return {};
    const std::size_t row = std::size_t(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::AccessibleTextRole: return QString::fromStdString(tables_.Cell(table_, row, column));
    case Qt::DecorationRole:
        if (column == CheckColumn()) {
            const std::string result = tables_.Cell(table_, row, column);
            if (!result.empty()) return NamedIcon(QString::fromLatin1(result == "OK" ? "BMP_OK" : "BMP_ERROR"));
        }
        return {};
    case Qt::ForegroundRole:
        if (column == CheckColumn()) return QBrush(Qt::gray);
        if (table_ == ElementTables::Table::Transitions && column == 2) return QBrush(QColor(0x00, 0x00, 0x80));
        return {};
    case Qt::FontRole:
        if (table_ == ElementTables::Table::Transitions && column == 2) {
            QFont f;
            f.setItalic(true);
            return f;
        }
        return {};
    default: return {};
    }
}

QVariant TElementTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    const auto headers = ElementTables::Headers(table_, tables_.ContinuousTransitions());
    return section < int(headers.size()) ? QString::fromStdString(headers[std::size_t(section)]) : QVariant();
}

Qt::ItemFlags TElementTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && std::size_t(index.row()) < tables_.Rows(table_) &&
        ElementTables::Editable(table_, index.column())) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}

bool TElementTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !saveRow || !index.isValid()) return false;
    const std::size_t row = std::size_t(index.row());
    if (row >= tables_.Rows(table_)) return false;
    std::vector<std::string> cells;
    for (int c = 0; c < columnCount(); ++c) cells.push_back(tables_.Cell(table_, row, c));
    const std::string typed = value.toString().toStdString();
    if (typed == cells[std::size_t(index.column())]) return false;
    cells[std::size_t(index.column())] = typed;
    const bool saved = saveRow(row, cells);
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    return saved;
}

} // namespace qz::ui
