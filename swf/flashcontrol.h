// The flash control: a widget that plays a movie with the members a flash window uses, as the
// system's Shockwave Flash control offered them: Movie, ScaleMode, AlignMode, BackgroundColor,
// TotalFrames, Playing, Menu, Play, StopPlay, GotoFrame and CurrentFrame. Frames advance at the
// movie's frame rate while it plays (kept with its stream sound while one sounds); at the last
// frame it goes back to the first. The mouse messages the control gets move, press and release
// the movie's buttons; its sounds go to the output it is given.
#pragma once

#include <QTimer>
#include <QWidget>
#include <memory>

#include "swf/player.h"
#include "swf/sound.h"

namespace sf::swf {

class TShockwaveFlash : public QWidget {
  Q_OBJECT

 public:
  explicit TShockwaveFlash(QWidget* parent = nullptr);
  ~TShockwaveFlash() override;

  // Where the movies' sounds go from now on (none: they are not played): the movie playing sounds
  // its current frame there at once.
  void SetSoundOutput(std::unique_ptr<TSoundOutput> output);
  // Loads the whole movie at the path, which then plays from its first frame; a movie that
  // cannot be read leaves the control empty (MovieError() tells why).
  void SetMovie(const QString& path);
  const QString& Movie() const { return movie_; }
  bool HasMovie() const { return player_ != nullptr; }
  const QString& MovieError() const { return error_; }

  // 0 show all (the whole stage, aspect kept, the rest in the background colour), 1 no border
  // (aspect kept, cropped), 2 exact fit (stretched), 3 no scale.
  void SetScaleMode(int mode);
  int ScaleMode() const { return scaleMode_; }
  // 1 left, 2 right, 4 top, 8 bottom; 0 centred.
  void SetAlignMode(int flags);
  int AlignMode() const { return alignMode_; }
  // 0x00RRGGBB in place of the movie's own background; -1 keeps the movie's.
  void SetBackgroundColor(int32_t rgb);
  int32_t BackgroundColor() const { return background_; }
  // Whether the control would offer its own context menu (it never shows one).
  bool Menu = true;

  int32_t TotalFrames() const;
  bool Playing() const;
  void Play();
  void StopPlay();
  // 0-based frames, as the control counts them.
  void GotoFrame(int32_t frame);
  int32_t CurrentFrame() const;

  // What the control drew last, for tests.
  QImage Grab();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void Tick();
  // The pointer at a point of the widget, its left button pressed or not, to the movie.
  void Pointer(QPointF at, bool down);

  QString movie_, error_;
  int scaleMode_ = 0, alignMode_ = 0;
  int32_t background_ = -1;
  bool leftDown_ = false;
  std::unique_ptr<TSoundOutput> sound_;  // outlives the player, which calls it to the end
  std::unique_ptr<TSwfPlayer> player_;
  QTimer frames_;
  QImage frame_;  // the frame drawn last, at the control's size
};

}  // namespace sf::swf
