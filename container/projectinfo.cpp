#include "container/projectinfo.h"

#include <QFile>

#include "container/tagged.h"
#include "platform/tempdir.h"

namespace sf {

void TProjectHeader::ParseHeader(std::string_view text) {
  ForEachField(UpToNul(text), [&](uint8_t tag, std::string_view value) { ApplyHeaderField(*this, tag, value); });
}

TProjectInfo::TProjectInfo(const QString& programPath)
    : TempDir(PrivateTempDir()), program_path_(programPath) {
  if (!file_.Open(programPath)) return;
  QString why = Position.ReadTable(file_);
  if (!why.isEmpty()) MakeAbsent(why);
}

TProjectInfo::~TProjectInfo() {
  file_.Close();
}

void TProjectInfo::MakeAbsent(const QString& why) {
  load_error_ = why;
  Position.Clear();
  static_cast<TProjectHeader&>(*this) = TProjectHeader();
  Slides.clear();
}

bool TProjectInfo::ReadRegion(int32_t start, int32_t end, std::string& text) {
  text.assign(size_t(end - start), '\0');
  if (!file_.Seek(start)) return false;
  int64_t got = file_.Read(text.data(), end - start);
  if (got < 0) return false;
  text.resize(size_t(got));  // a short read ends the text at the bytes read
  return true;
}

void TProjectInfo::ReadHeader() {
  if (!file_.IsOpen() || !load_error_.isEmpty()) return;
  std::string text;
  if (!ReadRegion(Position.HeaderStart, Position.TableStart, text)) return;
  ParseHeader(text);
  // The dialog picture lies between the last two resource entries.
  const auto& res = Position.ResourceOffsets;
  if (ShowDialogPicture && MediaEmbedded && res.size() >= 2 && res.back() < res[res.size() - 2])
    MakeAbsent(QString("the dialog picture ends at %1, before it starts at %2")
                   .arg(res.back())
                   .arg(res[res.size() - 2]));
}

void TProjectInfo::ReadSlides(TRandom& random) {
  Slides.clear();
  if (!file_.IsOpen() || !load_error_.isEmpty()) return;
  std::string region;
  if (!ReadRegion(Position.SlideListStart, Position.HeaderStart, region)) return;
  std::string_view text = UpToNul(region);
  for (size_t end; (end = text.find(kRecordEnd)) != std::string_view::npos; text.remove_prefix(end + 1)) {
    Slides.emplace_back(random);
    Slides.back().Parse(text.substr(0, end));
  }
  if (!MediaEmbedded) return;
  // Slide i's data is DataSize bytes from resource entry i; it must lie in the media area. A
  // slide without data needs no entry.
  const auto& res = Position.ResourceOffsets;
  for (size_t i = 0; i < Slides.size(); ++i) {
    const int64_t size = Slides[i].DataSize;
    QString why;
    if (size < 0)
      why = QString("slide %1 has the negative DataSize %2").arg(i).arg(size);
    else if (size > 0 && i >= res.size())
      why = QString("slide %1 has no entry in ResourceOffsets").arg(i);
    else if (size > 0 && res[i] + size > Position.SlideListStart)
      why = QString("slide %1's data (%2 bytes at %3) runs past the media area, which ends at %4")
                .arg(i).arg(size).arg(res[i]).arg(Position.SlideListStart);
    if (!why.isEmpty()) {
      MakeAbsent(why);
      return;
    }
  }
}

}  // namespace sf
