// Where a show's pictures come from: the project object reads them from its program file (or
// beside it); the studio reads them from its document's files.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace sf {

class TMediaSource {
 public:
  virtual ~TMediaSource() = default;

  // The picture data of the record at `index` with its format code; false when it cannot be had
  // (a missing external file, a read that fails), the stream then holding what was read.
  virtual bool GetSlideData(int32_t index, QByteArray& stream, int32_t& formatCode) = 0;
  // Whether the media travel inside the show: a fetch that fails is then a damaged picture,
  // passed over without a word, rather than a missing file the user is told about.
  virtual bool EmbedsMedia() const = 0;
  // Where an external file of the stored name is looked for (the path the messages name).
  virtual QString ExternalPath(const QString& stored) const = 0;
  // The show's own missing-file text formatted with the path; empty when the show gives none.
  virtual QString FileNotFoundMessage(const QString& path) const = 0;
};

}  // namespace sf
