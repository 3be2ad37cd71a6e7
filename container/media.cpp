// Media fetches of the project object: slide data, the dialog picture, music and the files of
// flash and video slides.
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include "container/picture.h"
#include "container/projectinfo.h"
#include "platform/convert.h"
#include "platform/messagebox.h"

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

void TProjectInfo::DeleteTempFile() {
  if (!CurrentTempFile.isEmpty() && QFile::exists(CurrentTempFile)) QFile::remove(CurrentTempFile);
}

QString TProjectInfo::SaveTempFile(const QByteArray& stream, const QString& name) {
  if (TempDir.isEmpty()) return {};
  const QString target = TempDir + "qel" + ExtractFileExt(name);
  QFile out(target);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(stream) != stream.size() || !out.flush())
    return {};
  return target;
}

QString TProjectInfo::GetMusicFile(int32_t index) {
  if (index < 0 || index >= MusicFiles.size()) return {};
  const QString& name = MusicFiles[index];
  if (PlayerMediaEmbedded) {
    DeleteTempFile();
    CurrentTempFile.clear();
    // Music region i runs to the next track, the last one to the slide list. The file is
    // written whatever the copy gave, as the player would rather play a cut track than none.
    QByteArray stream;
    const auto& music = Position.MusicOffsets;
    if (size_t(index) < music.size()) {
      const int64_t end = size_t(index) + 1 < music.size() ? music[size_t(index) + 1] : Position.SlideListStart;
      CopyRegion(music[size_t(index)], end - music[size_t(index)], stream);
    }
    CurrentTempFile = SaveTempFile(stream, name);
    return CurrentTempFile;
  }
  const QString path = ExternalPath(name);
  if (!QFile::exists(path)) {
    ShowMessage(FileNotFoundMessage(path));
    return {};
  }
  return path;
}

QString TProjectInfo::FileNotFoundMessage(const QString& path) const {
  QString message;
  // A text that the system's Format would reject keeps what it says, with the path after it,
  // rather than ending the show with a format error.
  if (!TryFormatOne(Texts[stFileNotFound], path, message)) message = Texts[stFileNotFound] + " " + path;
  return message;
}

QString TProjectInfo::GetMediaFile(int32_t index) {
  if (index < 0 || size_t(index) >= Slides.size()) return {};
  const TPictureInfo& slide = Slides[size_t(index)];
  if (PlayerMediaEmbedded) {
    DeleteTempFile();
    CurrentTempFile.clear();
    QByteArray stream;
    int32_t code = 0;
    // A medium that could not be fetched or written gives no file: the player then has
    // nothing to open, rather than a stale or empty one.
    if (GetSlideData(index, stream, code)) CurrentTempFile = SaveTempFile(stream, slide.FileName);
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
    return CurrentTempFile;
  }
  const QString path = ExternalPath(slide.FileName);
  if (!QFile::exists(path)) {
    ShowMessage("File not found : " + path);
    return {};
  }
  return path;
}

}  // namespace sf
