// Media fetches of the project object: slide data, the dialog picture, music and the files of
// flash and video slides.
#include <QFile>
#include <QFileInfo>

#include "container/picture.h"
#include "container/projectinfo.h"
#include "platform/convert.h"

namespace sf {

QString ExtractFileName(const QString& path) {
  return path.mid(std::max(path.lastIndexOf('/'), path.lastIndexOf('\\')) + 1);
}

QString ExtractFileExt(const QString& name) {
  const QString file = ExtractFileName(name);
  const qsizetype dot = file.lastIndexOf('.');
  return dot < 0 ? QString() : file.mid(dot);
}

QString TProjectInfo::ExternalPath(const QString& stored) const {
  if (!MediaBesideProgram) return stored;
  return QFileInfo(program_path_).absolutePath() + "/" + ExtractFileName(stored);
}

bool TProjectInfo::CopyRegion(int64_t start, int64_t length, QByteArray& stream) {
  stream.clear();
  if (length < 0 || !file_.Seek(start)) return false;
  if (copy_buffer_.empty()) copy_buffer_.resize(size_t(kCopyChunk));
  stream.reserve(qsizetype(length));
  while (stream.size() < length) {
    const int64_t want = std::min<int64_t>(kCopyChunk, length - stream.size());
    const int64_t got = file_.Read(copy_buffer_.data(), want);
    if (got <= 0) return false;  // a read error, or the region runs past the end of the file
    stream.append(copy_buffer_.data(), qsizetype(got));
  }
  return true;
}

bool TProjectInfo::GetSlideData(int32_t index, QByteArray& stream, int32_t& formatCode) {
  stream.clear();
  if (index < 0 || size_t(index) >= Slides.size()) return false;
  const TPictureInfo& slide = Slides[size_t(index)];
  if (MediaEmbedded) {
    formatCode = slide.FormatCode;
    if (slide.DataSize == 0) return true;
    if (size_t(index) >= Position.ResourceOffsets.size()) return false;
    return CopyRegion(Position.ResourceOffsets[size_t(index)], slide.DataSize, stream);
  }
  const QString path = ExternalPath(slide.FileName);
  QFile file(path);
  if (!file.exists()) return false;
  formatCode = FormatFromExtension(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  stream = file.readAll();
  return file.error() == QFileDevice::NoError;
}

bool TProjectInfo::GetDialogPicture(QByteArray& stream, int32_t& formatCode) {
  stream.clear();
  formatCode = FormatFromExtension(DialogPicture);
  const auto& res = Position.ResourceOffsets;
  if (res.size() < 2) return false;
  return CopyRegion(res[res.size() - 2], int64_t(res.back()) - res[res.size() - 2], stream);
}

TMediaFile& TMediaFile::operator=(TMediaFile&& other) noexcept {
  if (this == &other) return *this;
  // A fetch into the same temporary file as before has already written the new medium there.
  if (other.path_ != path_) Release();
  path_ = std::move(other.path_);
  temporary_ = other.temporary_;
  error_ = other.error_;
  missing_ = std::move(other.missing_);
  other.path_.clear();
  other.temporary_ = false;
  return *this;
}

void TMediaFile::Release() {
  if (temporary_ && !path_.isEmpty()) QFile::remove(path_);
  path_.clear();
  temporary_ = false;
}

TMediaFile TProjectInfo::SaveTempFile(const QByteArray& stream, const QString& stem, const QString& name) {
  if (TempDir.isEmpty()) return TMediaFile::Failed(TMediaFile::TError::Unwritable);
  const QString target = TempDir + stem + ExtractFileExt(name);
  QFile out(target);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(stream) != stream.size() || !out.flush()) {
    out.remove();
    return TMediaFile::Failed(TMediaFile::TError::Unwritable);
  }
  return TMediaFile::Temporary(target);
}

TMediaFile TProjectInfo::FetchMusic(int32_t index) {
  if (index < 0 || index >= MusicFiles.size()) return TMediaFile::Failed(TMediaFile::TError::NoSuchMedium);
  const QString& name = MusicFiles[index];
  if (PlayerMediaEmbedded) {
    // Music region i runs to the next track, the last one to the slide list. The file is
    // written whatever the copy gave, as the player would rather play a cut track than none.
    QByteArray stream;
    const auto& music = Position.MusicOffsets;
    if (size_t(index) < music.size()) {
      const int64_t end = size_t(index) + 1 < music.size() ? music[size_t(index) + 1] : Position.SlideListStart;
      CopyRegion(music[size_t(index)], end - music[size_t(index)], stream);
    }
    return SaveTempFile(stream, kMusicFileStem, name);
  }
  const QString path = ExternalPath(name);
  if (!QFile::exists(path)) return TMediaFile::Failed(TMediaFile::TError::Missing, path);
  return TMediaFile::External(path);
}

QString TProjectInfo::FileNotFoundMessage(const QString& path) const {
  QString message;
  // A text that the system's Format would reject keeps what it says, with the path after it,
  // rather than ending the show with a format error.
  if (!TryFormatOne(Texts[stFileNotFound], path, message)) message = Texts[stFileNotFound] + " " + path;
  return message;
}

TMediaFile TProjectInfo::FetchMedia(int32_t index) {
  if (index < 0 || size_t(index) >= Slides.size()) return TMediaFile::Failed(TMediaFile::TError::NoSuchMedium);
  const TPictureInfo& slide = Slides[size_t(index)];
  if (PlayerMediaEmbedded) {
    // A medium that could not be fetched or written gives no file: the player then has
    // nothing to open, rather than a stale or empty one.
    QByteArray stream;
    int32_t code = 0;
    if (!GetSlideData(index, stream, code)) return TMediaFile::Failed(TMediaFile::TError::Unwritable);
    return SaveTempFile(stream, kSlideMediaFileStem, slide.FileName);
  }
  const QString path = ExternalPath(slide.FileName);
  if (!QFile::exists(path)) return TMediaFile::Failed(TMediaFile::TError::Missing, path);
  return TMediaFile::External(path);
}

}  // namespace sf
