// Files written whole or not at all: the bytes go to a temporary file beside the target, which
// replaces the target in one step (a rename) when the writing is committed. Until then, and for
// ever when it fails or is abandoned, the old file stays as it was and no part of the new one is
// left behind. Every file that authoring writes (shows, manifests, media, ~/.xscreensaver) goes
// through here.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "authoring/result.h"

namespace sf {

class TAtomicFile {
 public:
  explicit TAtomicFile(const QString& path);
  ~TAtomicFile();  // abandons what was not committed
  TAtomicFile(const TAtomicFile&) = delete;
  TAtomicFile& operator=(const TAtomicFile&) = delete;

  TResult Open();
  TResult Write(const char* data, int64_t size);
  TResult Write(std::string_view bytes) { return Write(bytes.data(), int64_t(bytes.size())); }
  // Appends `length` bytes of `in` from its current position in chunks; after each chunk
  // `chunkDone` (when given) hears its size and may stop the copy by returning false.
  TResult Copy(QFile& in, int64_t length, const std::function<bool(int64_t)>& chunkDone = {});
  // The bytes written so far.
  int64_t Size() const { return size_; }
  // The permissions the file will have (an existing file's are kept otherwise).
  void SetPermissions(QFileDevice::Permissions permissions);
  // Puts the file in place; a failure leaves the old one.
  TResult Commit();
  // Abandons the file: the old one stays, the temporary one goes.
  void Cancel();
  const QString& Path() const { return path_; }

 private:
  TResult WriteError();

  QString path_;
  std::unique_ptr<QSaveFile> file_;
  int64_t size_ = 0;
};

// Writes bytes to path through a TAtomicFile.
TResult WriteFileAtomically(const QString& path, const QByteArray& bytes);

}  // namespace sf
