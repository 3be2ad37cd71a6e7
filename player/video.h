// A screen's video slides: the clip plays in the video panel over the slide's background, caption
// and text, at the size its size mode gives, until it ends; the screen is then told, and its show
// cycle goes on after the display time.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "platform/clock.h"
#include "platform/mediaplayer.h"

namespace sf {

class TRandom;

class TVideoSlide {
 public:
  // The panel is made in `parent`; `toLogical` turns a rectangle of the show's device pixels
  // into the units widgets are placed in; `ended` is called when a clip has played to its end;
  // `press` gets a mouse button pressed on the panel.
  struct THost {
    std::function<QRect(QRect)> toLogical;
    std::function<void()> ended;
    std::function<void(Qt::MouseButton, QPoint)> press;
  };
  TVideoSlide(QWidget* parent, THost host, TClock* clock);

  // Opens and starts the clip at `path` in a show area of `showSize`, from `startPos` ms; false
  // when the player cannot open it.
  bool StartVideo(const QString& path, int32_t sizeMode, bool randomPosition, int32_t startPos, bool preview,
                  QSize showSize, TRandom& random);
  void StopVideo();
  // The video timer's tick: notices the clip's end.
  void VidioTimerTimer();
  bool Playing() const { return FVideoPlaying; }
  QWidget* Panel() const { return displaypanel; }

  // The video slides' player (mp), drawing into displaypanel.
  TMediaPlayer mp{TMediaPlayer::TUse::Video};
  TTimer VidioTimer;
  int32_t FPicX = 0, FPicY = 0;  // where the video panel stands
  int32_t FVideoPos = 0;         // where the clip stood at the last tick, from its start
  int32_t FVideoWidth = 0, FVideoHeight = 0, FVideoShowWidth = 0, FVideoShowHeight = 0;
  bool FVideoPlaying = false;

 private:
  THost host_;
  QWidget* displaypanel = nullptr;
};

}  // namespace sf
