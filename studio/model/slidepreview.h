// The slide preview: a slide of the document composed by the player's own slide preparation, as
// a screen of the size the author picks shows it once its transition has ended. The pictures
// come from the document's files; nothing needs a window.
#pragma once

#include <QImage>
#include <QSize>
#include <QStringList>

#include "authoring/document.h"
#include "container/mediasource.h"

namespace sf {

// The document's media as the player's slide preparation reads them: record i's picture is the
// file of the document's record i.
class TDocumentMedia : public TMediaSource {
 public:
  explicit TDocumentMedia(const TShowDocument& show) : show_(show) {}

  bool GetSlideData(int32_t index, QByteArray& stream, int32_t& formatCode) override;
  // A picture that cannot be read is a damaged one: the preview shows no slide for it.
  bool EmbedsMedia() const override { return true; }
  QString ExternalPath(const QString& stored) const override { return stored; }
  QString FileNotFoundMessage(const QString&) const override { return {}; }

 private:
  const TShowDocument& show_;
};

// Slide `slide` (counted as the slide list counts: background pictures left out) composed at
// `screen`; the random choices (a random colour, position or tile count) drawn from `seed`, so
// that the preview holds still while the author edits. Null, with the reason in `why`, when the
// slide shows no picture (a movie or a clip, or a picture that does not decode).
QImage PreviewSlide(const TShowDocument& show, int slide, QSize screen, uint32_t seed, QString* why = nullptr);

}  // namespace sf
