#include "sweep_table_model.h"

#include "app/sweep/sweep_table.h"

#include <cmath>
#include <limits>

namespace ardenca::qt {

SweepTableModel::SweepTableModel(const SweepModel& model, QObject* parent)
    : QAbstractTableModel(parent), model_(model) {}

void SweepTableModel::clear() {
    beginResetModel();
    rows_.clear();
    replacements_seen_ = model_.replacements();
    endResetModel();
}

void SweepTableModel::update() {
    const auto& locations = model_.result().locations;
    // Points only grow at the end of the last location that has any; a location is
    // never shorter than before within one run.
    std::vector<SweepRow> added;
    std::size_t row = 0;
    for (std::size_t l = 0; l < locations.size(); ++l)
        for (std::size_t p = 0; p < locations[l].points.size(); ++p, ++row)
            if (row >= rows_.size())
                added.push_back({l, p});
    if (!rows_.empty() && model_.replacements() != replacements_seen_)
        emit dataChanged(index(0, 0),
                         index(static_cast<int>(rows_.size()) - 1, sweep_column_count - 1));
    replacements_seen_ = model_.replacements();
    if (!added.empty()) {
        const int first = static_cast<int>(rows_.size());
        beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
        rows_.insert(rows_.end(), added.begin(), added.end());
        endInsertRows();
    }
}

int SweepTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int SweepTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : sweep_column_count;
}

QVariant SweepTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size()))
        return {};
    const SweepRow row = rows_[static_cast<std::size_t>(index.row())];
    const auto column = static_cast<SweepColumn>(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(cell_text(model_.result(), row, column));
    case SortRole: {
        if (column == SweepColumn::Location || column == SweepColumn::Flags)
            return QString::fromStdString(cell_text(model_.result(), row, column));
        const double key = cell_key(model_.result(), row, column);
        // Empty cells sort after every number.
        return std::isnan(key) ? QVariant(std::numeric_limits<double>::infinity()) : key;
    }
    case Qt::TextAlignmentRole:
        return column == SweepColumn::Location || column == SweepColumn::Flags
                   ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant SweepTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < 0 || section >= sweep_column_count)
        return {};
    return QString::fromStdString(std::string(column_title(static_cast<SweepColumn>(section))));
}

} // namespace ardenca::qt
