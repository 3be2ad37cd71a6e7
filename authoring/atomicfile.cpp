#include "authoring/atomicfile.h"

#include <vector>

#include "container/projectinfo.h"

namespace sf {

TAtomicFile::TAtomicFile(const QString& path) : path_(path), file_(std::make_unique<QSaveFile>(path)) {}

TAtomicFile::~TAtomicFile() { Cancel(); }

TResult TAtomicFile::WriteError() { return Failure("cannot write " + path_ + ": " + file_->errorString()); }

TResult TAtomicFile::Open() {
  size_ = 0;
  if (!file_->open(QIODevice::WriteOnly)) return WriteError();
  return {};
}

TResult TAtomicFile::Write(const char* data, int64_t size) {
  if (file_->write(data, size) != size) return WriteError();
  size_ += size;
  return {};
}

TResult TAtomicFile::Copy(QFile& in, int64_t length, const std::function<bool(int64_t)>& chunkDone) {
  std::vector<char> buffer(size_t(std::min<int64_t>(kCopyChunk, std::max<int64_t>(length, 1))));
  for (int64_t left = length; left > 0;) {
    const int64_t got = in.read(buffer.data(), std::min<int64_t>(left, int64_t(buffer.size())));
    if (got < 0) return Failure("cannot read " + in.fileName() + ": " + in.errorString());
    if (got == 0) return Failure("cannot read " + in.fileName() + ": it ends before the bytes it should hold");
    if (TResult r = Write(buffer.data(), got); !r.Ok()) return r;
    left -= got;
    if (chunkDone && !chunkDone(got)) return Cancelled();
  }
  return {};
}

void TAtomicFile::SetPermissions(QFileDevice::Permissions permissions) { file_->setPermissions(permissions); }

TResult TAtomicFile::Commit() {
  if (!file_->commit()) return WriteError();
  return {};
}

void TAtomicFile::Cancel() {
  if (!file_->isOpen()) return;
  // A cancelled QSaveFile removes its temporary file at the commit, which then fails.
  file_->cancelWriting();
  file_->commit();
}

TResult WriteFileAtomically(const QString& path, const QByteArray& bytes) {
  TAtomicFile file(path);
  if (TResult r = file.Open(); !r.Ok()) return r;
  if (TResult r = file.Write(bytes.constData(), bytes.size()); !r.Ok()) return r;
  return file.Commit();
}

}  // namespace sf
