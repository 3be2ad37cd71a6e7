#include "studio/model/slidepreview.h"

#include <QFile>

#include "container/picture.h"
#include "container/projectinfo.h"
#include "player/slideprep.h"

namespace sf {

bool TDocumentMedia::GetSlideData(int32_t index, QByteArray& stream, int32_t& formatCode) {
  stream.clear();
  if (index < 0 || size_t(index) >= show_.slides.size()) return false;
  const QString& path = show_.slides[size_t(index)].file;
  QFile file(DiskPath(path));
  if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return false;
  stream = file.readAll();
  formatCode = FormatFromExtension(path);
  return file.error() == QFileDevice::NoError;
}

QImage PreviewSlide(const TShowDocument& show, int slide, QSize screen, uint32_t seed, QString* why) {
  auto fail = [why](const QString& reason) {
    if (why) *why = reason;
    return QImage();
  };
  // The records as the player reads them: each field as stored, the data of record i at index i.
  std::vector<TPictureInfo> infos(show.slides.size());
  TSlideRecords records;
  const TPictureInfo* chosen = nullptr;
  int slides = 0;
  for (size_t r = 0; r < show.slides.size(); ++r) {
    for (const auto& [tag, value] : show.slides[r].fields.Values()) ApplySlideField(infos[r], tag, StoredValue(value));
    infos[r].ResourceIndex = int32_t(r);
    if (infos[r].IsBackgroundPicture) {
      records.backgrounds.push_back(&infos[r]);
      continue;
    }
    records.slides.push_back(&infos[r]);
    if (slides++ == slide) chosen = &infos[r];
  }
  if (!chosen) return fail("no such slide");
  if (chosen->SlideKind != 0) return fail(chosen->SlideKind == 1 ? "a flash movie: Play shows it" : "a video clip: Play shows it");
  TProjectHeader header;
  for (const auto& [tag, value] : show.header.Values()) ApplyHeaderField(header, tag, StoredValue(value));
  TDocumentMedia media(show);
  TRandom random(seed);
  QImage shot = ComposeSlide(media, TSlideStyle::Of(header), records, *chosen, TShowArea{screen, false, 1.0}, random);
  if (shot.isNull()) return fail("the picture does not decode");
  if (why) why->clear();
  return shot;
}

}  // namespace sf
