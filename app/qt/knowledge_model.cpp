#include "app/qt/knowledge_model.h"

#include <algorithm>
#include <utility>

#include "app/qt/engine_text.h"
#include "engine/learned_records.h"

namespace wobbet {

KnowledgeModel::KnowledgeModel(ProgramCore& core, QObject* parent)
    : QAbstractTableModel(parent), core_(core) {}

std::size_t KnowledgeModel::LearnedCount() const {
    return LearnedRecordCount(core_.Engine().Knowledge());
}

int KnowledgeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    return static_cast<int>(shown_ ? shown_->size() : LearnedCount());
}

int KnowledgeModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

std::optional<std::size_t> KnowledgeModel::RecordAt(int row) const {
    const KnowledgeBase& knowledge = core_.Engine().Knowledge();
    if (row < 0) {
        return std::nullopt;
    }
    const auto position = static_cast<std::size_t>(row);
    if (!shown_) {
        if (position >= LearnedRecordCount(knowledge)) {
            return std::nullopt;
        }
        return LearnedRecordAtRow(knowledge, position);
    }
    if (position >= shown_->size()) {
        return std::nullopt;
    }
    const std::optional<std::size_t> record = knowledge.FindSerial((*shown_)[position]);
    if (!record || !knowledge.IsLearnedRecord(*record)) {
        return std::nullopt;
    }
    return record;
}

QVariant KnowledgeModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        return {};
    }
    const std::optional<std::size_t> record = RecordAt(index.row());
    if (!record) {
        return {};
    }
    const RecordText text = DescribeRecord(core_.Engine().Knowledge(), *record);
    switch (index.column()) {
        case kReply:
            return FromEngineText(std::string(text.reply));
        case kKeywords:
            return FromEngineText(text.keywords);
        case kContextKeywords:
            return FromEngineText(text.contextKeywords);
        default:
            return {};
    }
}

QVariant KnowledgeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
        case kReply:
            return tr("Reply");
        case kKeywords:
            return tr("Keywords");
        case kContextKeywords:
            return tr("Context keywords");
        default:
            return {};
    }
}

Qt::ItemFlags KnowledgeModel::flags(const QModelIndex& index) const {
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

bool KnowledgeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const std::optional<std::size_t> record = RecordAt(index.row());
    if (role != Qt::EditRole || !record || value.toString() == data(index, Qt::EditRole)) {
        return false;
    }
    std::string text = ToEngineText(value.toString());
    switch (index.column()) {
        case kReply:
            return core_.EditReply(*record, std::move(text));
        case kKeywords:
            return core_.EditKeywords(*record, std::move(text));
        case kContextKeywords:
            return core_.EditContextKeywords(*record, std::move(text));
        default:
            return false;
    }
}

void KnowledgeModel::ShowOnly(std::optional<std::vector<std::uint32_t>> serials) {
    beginResetModel();
    shown_ = std::move(serials);
    endResetModel();
}

void KnowledgeModel::Refresh() {
    beginResetModel();
    if (shown_) {
        const KnowledgeBase& knowledge = core_.Engine().Knowledge();
        std::erase_if(*shown_, [&knowledge](std::uint32_t serial) {
            const std::optional<std::size_t> record = knowledge.FindSerial(serial);
            return !record || !knowledge.IsLearnedRecord(*record);
        });
    }
    endResetModel();
}

}  // namespace wobbet
