// Writing a show file: the bytes go through a TAtomicFile, every position stays within the
// 2 GiB that a project's offsets can address, and copied media count towards the progress.
// A failure sticks: later writes do nothing, and Result() tells the first one.
#pragma once

#include <QFile>
#include <QString>
#include <cstdint>
#include <string_view>

#include "authoring/atomicfile.h"
#include "authoring/result.h"

namespace sf {

class TShowWriter {
 public:
  TShowWriter(TAtomicFile& out, int64_t mediaTotal, const TProgress& progress)
      : out_(out), total_(mediaTotal), progress_(progress) {}

  int64_t Pos() const { return out_.Size(); }
  bool Good() const { return result_.Ok(); }
  const TResult& Result() const { return result_; }

  void Write(std::string_view bytes);
  // Copies `length` bytes of `in` from its current position; `media` bytes count as progress.
  void Copy(QFile& in, int64_t length, bool media);
  // Copies a whole file.
  void CopyFile(const QString& path, bool media);

 private:
  bool Fits(int64_t more);

  TAtomicFile& out_;
  int64_t total_, done_ = 0;
  const TProgress& progress_;
  TResult result_;
};

}  // namespace sf
