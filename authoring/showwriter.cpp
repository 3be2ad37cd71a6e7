#include "authoring/showwriter.h"

namespace sf {

bool TShowWriter::Fits(int64_t more) {
  if (!Good()) return false;
  if (Pos() + more <= INT32_MAX) return true;
  result_ = Failure("the show would be 2 GiB or larger, more than a project can address");
  return false;
}

void TShowWriter::Write(std::string_view bytes) {
  if (Fits(int64_t(bytes.size()))) result_ = out_.Write(bytes);
}

void TShowWriter::Copy(QFile& in, int64_t length, bool media) {
  if (!Fits(length)) return;
  result_ = out_.Copy(in, length, [&](int64_t n) {
    if (!media) return true;
    done_ += n;
    return !progress_ || progress_(done_, total_);
  });
}

void TShowWriter::CopyFile(const QString& path, bool media) {
  if (!Good()) return;
  QFile in(path);
  if (!in.open(QIODevice::ReadOnly)) {
    result_ = Failure("cannot read " + path + ": " + in.errorString());
    return;
  }
  Copy(in, in.size(), media);
}

}  // namespace sf
