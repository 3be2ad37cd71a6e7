// The undo commands of the studio's document. Every edit is made of these few: records put in,
// taken out, put in another order or replaced, and the header's part replaced. Each keeps only
// what it changes, so that a long history of a large show stays small.
#pragma once

#include <QUndoCommand>
#include <vector>

#include "studio/model/studiodocument.h"

namespace sf {

// Records put in at the given places (ascending, places in the records after the insertion);
// with `insert` false the same records taken out of those places.
class TInsertRecordsCommand : public QUndoCommand {
 public:
  TInsertRecordsCommand(TStudioDocument& doc, std::vector<int> records, std::vector<TSlideEntry> entries, bool insert,
                        const QString& text, QUndoCommand* parent = nullptr);
  void redo() override;
  void undo() override;

 private:
  void Put();
  void Take();

  TStudioDocument& doc_;
  std::vector<int> records_;
  std::vector<TSlideEntry> entries_;
  bool insert_;
};

// The records in a new order: record i of the new order is record order[i] of the old one.
class TOrderRecordsCommand : public QUndoCommand {
 public:
  TOrderRecordsCommand(TStudioDocument& doc, std::vector<int> order, std::vector<int> select, const QString& text,
                       QUndoCommand* parent = nullptr);
  void redo() override;
  void undo() override;

 private:
  TStudioDocument& doc_;
  std::vector<int> order_, inverse_, select_;
};

// Records replaced by others (their fields edited). Consecutive commands with the same non-zero
// merge id on the same records become one.
class TReplaceRecordsCommand : public QUndoCommand {
 public:
  TReplaceRecordsCommand(TStudioDocument& doc, std::vector<int> records, std::vector<TSlideEntry> before,
                         std::vector<TSlideEntry> after, int mergeId, const QString& text,
                         QUndoCommand* parent = nullptr);
  void redo() override;
  void undo() override;
  int id() const override { return mergeId_ ? mergeId_ : -1; }
  bool mergeWith(const QUndoCommand* other) override;

 private:
  TStudioDocument& doc_;
  std::vector<int> records_;
  std::vector<TSlideEntry> before_, after_;
  int mergeId_;
};

// The header, the music and the dialog picture replaced.
class THeaderCommand : public QUndoCommand {
 public:
  THeaderCommand(TStudioDocument& doc, THeaderPart before, THeaderPart after, int mergeId, const QString& text,
                 QUndoCommand* parent = nullptr);
  void redo() override;
  void undo() override;
  int id() const override { return mergeId_ ? mergeId_ : -1; }
  bool mergeWith(const QUndoCommand* other) override;

 private:
  TStudioDocument& doc_;
  THeaderPart before_, after_;
  int mergeId_;
};

}  // namespace sf
