#include "studio/model/commands.h"

namespace sf {

TInsertRecordsCommand::TInsertRecordsCommand(TStudioDocument& doc, std::vector<int> records,
                                             std::vector<TSlideEntry> entries, bool insert, const QString& text,
                                             QUndoCommand* parent)
    : QUndoCommand(text, parent), doc_(doc), records_(std::move(records)), entries_(std::move(entries)),
      insert_(insert) {}

void TInsertRecordsCommand::Put() {
  doc_.ApplyInsert(records_, entries_);
  doc_.TellSelection(records_);
}

void TInsertRecordsCommand::Take() {
  doc_.ApplyRemove(records_);
  // What stands where the first record was taken from.
  doc_.TellSelection(records_.empty() ? std::vector<int>{} : std::vector<int>{records_.front()});
}

void TInsertRecordsCommand::redo() { insert_ ? Put() : Take(); }
void TInsertRecordsCommand::undo() { insert_ ? Take() : Put(); }

TOrderRecordsCommand::TOrderRecordsCommand(TStudioDocument& doc, std::vector<int> order, std::vector<int> select,
                                           const QString& text, QUndoCommand* parent)
    : QUndoCommand(text, parent), doc_(doc), order_(std::move(order)), select_(std::move(select)) {
  inverse_.resize(order_.size());
  for (size_t i = 0; i < order_.size(); ++i) inverse_[size_t(order_[i])] = int(i);
}

void TOrderRecordsCommand::redo() {
  doc_.ApplyOrder(order_);
  doc_.TellSelection(select_);
}

void TOrderRecordsCommand::undo() {
  doc_.ApplyOrder(inverse_);
  std::vector<int> before;
  for (int r : select_) before.push_back(order_[size_t(r)]);
  std::sort(before.begin(), before.end());
  doc_.TellSelection(before);
}

TReplaceRecordsCommand::TReplaceRecordsCommand(TStudioDocument& doc, std::vector<int> records,
                                               std::vector<TSlideEntry> before, std::vector<TSlideEntry> after,
                                               int mergeId, const QString& text, QUndoCommand* parent)
    : QUndoCommand(text, parent), doc_(doc), records_(std::move(records)), before_(std::move(before)),
      after_(std::move(after)), mergeId_(mergeId) {}

void TReplaceRecordsCommand::redo() { doc_.ApplyReplace(records_, after_); }
void TReplaceRecordsCommand::undo() { doc_.ApplyReplace(records_, before_); }

bool TReplaceRecordsCommand::mergeWith(const QUndoCommand* other) {
  // Qt merges by id alone: a command of another kind with the same id is not merged.
  const auto* o = dynamic_cast<const TReplaceRecordsCommand*>(other);
  if (!o || o->records_ != records_) return false;
  after_ = o->after_;
  // A merge that comes back to where it began is no step at all.
  if (after_ == before_) setObsolete(true);
  return true;
}

THeaderCommand::THeaderCommand(TStudioDocument& doc, THeaderPart before, THeaderPart after, int mergeId,
                               const QString& text, QUndoCommand* parent)
    : QUndoCommand(text, parent), doc_(doc), before_(std::move(before)), after_(std::move(after)), mergeId_(mergeId) {}

void THeaderCommand::redo() { doc_.ApplyHeader(after_); }
void THeaderCommand::undo() { doc_.ApplyHeader(before_); }

bool THeaderCommand::mergeWith(const QUndoCommand* other) {
  const auto* o = dynamic_cast<const THeaderCommand*>(other);
  if (!o) return false;
  after_ = o->after_;
  if (after_ == before_) setObsolete(true);
  return true;
}

}  // namespace sf
