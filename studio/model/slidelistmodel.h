// The slides as a list for Qt's views: a thumbnail, the file's name and the slide's effects
// under each; drag to reorder and drop files to add, both as edits of the document.
#pragma once

#include <QAbstractListModel>
#include <QStringList>
#include <vector>

#include "studio/model/studiodocument.h"
#include "studio/model/thumbnails.h"

namespace sf {

// The effects of a slide as an author reads them: "Random of all 161", "Fan wipe",
// "3 effects in turn", "No effect".
QString EffectSummary(const TFieldSet& fields);
// The indices an effect list names, in order (as the player reads the list), and the list of
// indices (each followed by ";").
std::vector<int32_t> EffectIndices(const QString& list);
QString EffectListText(const std::vector<int32_t>& indices);
// A slide's effect list as the player reads it: the one given, else all 161.
QString SlideEffectList(const TFieldSet& fields);

class TSlideListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  enum TRole { EffectRole = Qt::UserRole + 1, ErrorRole, FileRole, MediumRole };
  static constexpr const char* kSlidesMime = "application/x-showforge-slides";

  TSlideListModel(TStudioDocument& document, TPictureLoader& thumbnails, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  Qt::DropActions supportedDropActions() const override { return Qt::MoveAction | Qt::CopyAction; }
  Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;

 signals:
  // Files a drop gave that the show cannot take, each with why.
  void LeftOut(const QStringList& messages);

 private:
  void ThumbnailReady(const QString& path);

  TStudioDocument& doc_;
  TPictureLoader& thumbnails_;
};

}  // namespace sf
