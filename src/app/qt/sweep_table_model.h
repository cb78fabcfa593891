// The sweep window's table: one row per point of each location, the columns of
// sweep_table.h. Rows are only ever appended while a sweep fills in; a location that
// was tracked again at its end is refreshed in place. Sorting (through a proxy) uses
// the numbers, not their text.
#pragma once

#include "app/sweep/sweep_model.h"

#include <QAbstractTableModel>

#include <vector>

namespace ardenca::qt {

class SweepTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int SortRole = Qt::UserRole + 1;

    explicit SweepTableModel(const SweepModel& model, QObject* parent = nullptr);

    // Follows the model: appends the rows of points that arrived, refreshes the rest.
    void update();
    // Forgets every row (a new run starts).
    void clear();

    const std::vector<SweepRow>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    const SweepModel& model_;
    std::vector<SweepRow> rows_;
    std::size_t replacements_seen_ = 0;
};

} // namespace ardenca::qt
