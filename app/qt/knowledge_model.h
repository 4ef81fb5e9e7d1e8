#pragma once

#include <QAbstractTableModel>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/core/program_core.h"

namespace wobbet {

// The learned records as a table, newest first: reply, keywords, context keywords. It reads the
// engine's tables row by row as the view asks, so a million records cost nothing until shown.
// Edits go through the program core, which normalises keywords and refuses empty text.
class KnowledgeModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kReply, kKeywords, kContextKeywords, kColumnCount };

    explicit KnowledgeModel(ProgramCore& core, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The record a row shows, or nothing when it is no longer held.
    std::optional<std::size_t> RecordAt(int row) const;
    // Lists only the records with these serial numbers, in their order, or every learned one.
    void ShowOnly(std::optional<std::vector<std::uint32_t>> serials);
    bool Filtered() const { return shown_.has_value(); }
    // The tables changed: reads them again, dropping listed records that have gone.
    void Refresh();
    std::size_t LearnedCount() const;

private:
    ProgramCore& core_;
    std::optional<std::vector<std::uint32_t>> shown_;
};

}  // namespace wobbet
