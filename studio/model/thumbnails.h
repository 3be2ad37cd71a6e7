// Pictures of the show's media for the studio's views, made off the event loop: a file is
// decoded by the show's own decoders (a flash movie's first frame by our SWF player) on the
// threads of a pool, shrunk to the size asked, and handed back on the loop's thread. A window
// that asks for 500 large pictures stays answering while they fill in.
#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QThreadPool>
#include <memory>

#include "studio/model/studiodocument.h"

namespace sf {

// A medium as a picture: its picture shrunk to fit a box (never enlarged), or why there is none.
struct TMediumPicture {
  QImage image;      // null for a clip (the studio does not play clips) and for an error
  QString error;     // the decoder's message for a file that does not decode
  TFileRole role = TFileRole::Unknown;
  QSize size;        // the picture's or movie stage's own size
};

// Decodes a file as the show will (on any thread). An empty box keeps the picture's size.
TMediumPicture DecodeMedium(const QString& path, QSize box);

class TPictureLoader : public QObject {
  Q_OBJECT

 public:
  // Pictures fitted into `box`; `threads` decoding at once (0: one per processor).
  explicit TPictureLoader(QSize box, int threads = 0, QObject* parent = nullptr);
  ~TPictureLoader() override;  // waits for the pictures being decoded

  QSize Box() const { return box_; }
  // Keeps at most this many pictures, the oldest forgotten first (0: all).
  void SetLimit(int pictures) { limit_ = pictures; }
  // The picture of a file when it is ready, else null (and it is asked for).
  const TMediumPicture* Get(const QString& path);
  // Asks for the picture without waiting for it.
  void Request(const QString& path);
  // Forgets every picture, and drops the ones asked for and not begun.
  void Clear();
  // Of the pictures asked for since the loader was last idle: how many are ready, of how many.
  int Done() const { return done_; }
  int Asked() const { return asked_; }
  bool Idle() const { return done_ == asked_; }

 signals:
  void Ready(const QString& path);
  // done of asked; both 0 once every picture asked for is ready.
  void Progress(int done, int asked);

 private:
  void Deliver(quint64 generation, const QString& path, TMediumPicture picture);

  QSize box_;
  QThreadPool pool_;
  QHash<QString, std::shared_ptr<TMediumPicture>> ready_;
  QHash<QString, bool> pending_;
  QStringList order_;  // the ready pictures, oldest first, when there is a limit
  int limit_ = 0;
  quint64 generation_ = 0;
  int done_ = 0, asked_ = 0;
};

}  // namespace sf
