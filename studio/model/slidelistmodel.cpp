#include "studio/model/slidelistmodel.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "transitions/qrxarray.h"
#include "transitions/table.h"

namespace sf {

std::vector<int32_t> EffectIndices(const QString& list) {
  TQrxArray parsed;
  parsed.Fill(list);
  return parsed.Items();
}

QString EffectListText(const std::vector<int32_t>& indices) {
  QString text;
  for (int32_t i : indices) text += QString::number(i) + ";";
  return text;
}

QString SlideEffectList(const TFieldSet& fields) { return fields.Text(pfEffectList, TPictureInfo().EffectList); }

QString EffectSummary(const TFieldSet& fields) {
  const std::vector<int32_t> list = EffectIndices(SlideEffectList(fields));
  const bool random = fields.Bool(pfRandomEffect, TPictureInfo().RandomEffect);
  if (list.empty()) return "No effect";
  if (list.size() == 1) {
    const TEffectInfo* e = EffectInfo(list.front());
    return e ? QString::fromLatin1(e->name).trimmed() : QString("No effect");
  }
  std::vector<int32_t> sorted = list;
  std::sort(sorted.begin(), sorted.end());
  bool all = sorted.size() == size_t(kEffectCount);
  for (size_t i = 0; all && i < sorted.size(); ++i) all = sorted[i] == int32_t(i);
  if (all) return random ? "Random of all 161" : "All 161 in turn";
  return QString("%1 effects %2").arg(list.size()).arg(random ? "at random" : "in turn");
}

TSlideListModel::TSlideListModel(TStudioDocument& document, TPictureLoader& thumbnails, QObject* parent)
    : QAbstractListModel(parent), doc_(document), thumbnails_(thumbnails) {
  connect(&doc_, &TStudioDocument::StructureAboutToChange, this, [this] { beginResetModel(); });
  connect(&doc_, &TStudioDocument::StructureChanged, this, [this] {
    endResetModel();
    // Every slide's thumbnail, in the order of the list: those in sight come first.
    for (int s = 0; s < doc_.SlideCount(); ++s) thumbnails_.Request(doc_.Slide(s).file);
  });
  connect(&doc_, &TStudioDocument::SlidesChanged, this, [this](const QList<int>& slides) {
    for (int s : slides) emit dataChanged(index(s), index(s));
  });
  connect(&thumbnails_, &TPictureLoader::Ready, this, &TSlideListModel::ThumbnailReady);
}

void TSlideListModel::ThumbnailReady(const QString& path) {
  for (int s = 0; s < doc_.SlideCount(); ++s)
    if (doc_.Slide(s).file == path) emit dataChanged(index(s), index(s), {Qt::DecorationRole, ErrorRole});
}

int TSlideListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : doc_.SlideCount(); }

QVariant TSlideListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= doc_.SlideCount()) return {};
  const TSlideEntry& slide = doc_.Slide(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return slide.file.isEmpty() ? slide.fields.Text(pfFileName) : QFileInfo(slide.file).fileName();
    case EffectRole: return EffectSummary(slide.fields);
    case FileRole: return slide.file;
    case Qt::DecorationRole:
    case ErrorRole:
    case MediumRole: {
      const TMediumPicture* p = thumbnails_.Get(slide.file);
      if (role == MediumRole) return p ? int(p->role) : int(FileRoleByName(slide.file));
      if (!p) return {};
      return role == ErrorRole ? QVariant(p->error) : QVariant(p->image);
    }
    case Qt::ToolTipRole: {
      QString tip = slide.file.isEmpty() ? "(the show does not carry this file)" : slide.file;
      if (const TMediumPicture* p = thumbnails_.Get(slide.file)) {
        if (!p->error.isEmpty()) tip += "\n" + p->error;
        else if (p->size.isValid()) tip += QString("\n%1 × %2").arg(p->size.width()).arg(p->size.height());
      }
      return tip;
    }
    default: return {};
  }
}

Qt::ItemFlags TSlideListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QStringList TSlideListModel::mimeTypes() const { return {kSlidesMime, "text/uri-list"}; }

QMimeData* TSlideListModel::mimeData(const QModelIndexList& indexes) const {
  QStringList rows;
  for (const QModelIndex& i : indexes)
    if (i.isValid()) rows << QString::number(i.row());
  auto* data = new QMimeData;
  data->setData(kSlidesMime, rows.join(',').toLatin1());
  return data;
}

bool TSlideListModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                      const QModelIndex&) const {
  return data && (data->hasFormat(kSlidesMime) || data->hasUrls());
}

bool TSlideListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                   const QModelIndex& parent) {
  if (!data || action == Qt::IgnoreAction) return false;
  // On an item: before it; between items: at the row; elsewhere: at the end.
  const int before = row >= 0 ? row : parent.isValid() ? parent.row() : doc_.SlideCount();
  if (data->hasFormat(kSlidesMime)) {
    QList<int> slides;
    for (const QByteArray& r : data->data(kSlidesMime).split(','))
      if (bool ok = false; r.toInt(&ok), ok) slides << r.toInt();
    doc_.MoveSlides(slides, before);
    return true;
  }
  QStringList files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  if (files.isEmpty()) return false;
  QStringList leftOut;
  doc_.AddFiles(before, files, [&](const QString& path, const QString& why) { leftOut << path + ": " + why; });
  if (!leftOut.isEmpty()) emit LeftOut(leftOut);
  return true;
}

}  // namespace sf
