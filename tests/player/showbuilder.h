// A show the player tests build: slides of any kind with their fields, music tracks, the header,
// and the show over it, with a run window that does not take the screen.
#pragma once

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "container/projectinfo.h"
#include "platform/random.h"
#include "player/runwindow.h"
#include "player/show.h"
#include "settings/rwsetting.h"
#include "tests/common/fieldutil.h"
#include "tests/common/testutil.h"

namespace sftest {

inline std::string H(const char* name, const std::string& v) { return HeaderField(name, v); }
inline std::string S(const char* name, const std::string& v) { return SlideField(name, v); }

inline std::string Bmp(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "BMP");
  return bytes.toStdString();
}

inline QImage Solid(int w, int h, QRgb colour) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

// Plain slide fields: a solid background of a given colour, no caption, no text, no effect.
inline std::string Plain(sf::TColor background = 0x000000) {
  return S("BackgroundKinds", "0;") + S("RandomBackgroundColor", "0") + S("SolidColor", std::to_string(background)) +
         S("ShowCaption", "0") + S("ShowText", "0") + S("EffectList", "");
}

// A show of slides; each slide's data is the resource of its own number.
struct TBuiltShow {
  ProjectBuilder b;
  std::string header;  // after the plain defaults: in order, centred, one second, no random music
  int records = 0;
  std::vector<std::string> tracks;
  std::function<void(sf::TRWSetting&)> settingsSetup;
  int32_t firstSlide = -1;
  std::unique_ptr<sf::TProjectInfo> project;
  std::unique_ptr<sf::TRWSetting> settings;
  // The clock the show's timers run on; null: the event loop's.
  sf::TClock* clock = nullptr;
  uint32_t seed = 1;  // of the show's and the screen's generators
  sf::TMediaFetch* media = nullptr;                  // null: the project's media
  std::function<void(const QString&)> message;       // null: ShowMessage's
  // On the screens (full screen: a window a screen, each at its screen's size) rather than off
  // screen at the size given to Start.
  bool onScreen = false;
  std::unique_ptr<sf::TShow> show;
  sf::TfRun* run = nullptr;

  // A slide record: its data and fields; a picture unless the fields say another kind.
  void AddSlide(const std::string& bytes, const std::string& fields) {
    b.AddResource(bytes);
    b.slideList += Rec(S("ResourceIndex", std::to_string(records++)) + S("DataSize", std::to_string(bytes.size())) + fields);
  }
  void AddPicture(const std::string& bytes, const std::string& fields, int code = 1) {
    AddSlide(bytes, S("FormatCode", std::to_string(code)) + fields);
  }
  void AddRecord(const std::string& fields) {
    b.AddResource("");
    b.slideList += Rec(S("ResourceIndex", std::to_string(records++)) + fields);
  }

  sf::TfRun& Start(QSize area = {1024, 768}, bool preview = false) {
    std::string names;
    for (size_t i = 0; i < tracks.size(); ++i) {
      b.AddMusic(tracks[i]);
      names += H("MusicFiles", "track" + std::to_string(i) + ".wav");
    }
    b.header = H("RandomOrder", "0") + H("RandomPosition", "0") + H("DisplaySeconds", "1") +
               H("ScreenTransitionMode", "0") + H("RandomMusic", "0") + H("ProjectName", "runtest") + names + header;
    project = std::make_unique<sf::TProjectInfo>(QString::fromStdString(WriteFile("run.scr", b.Build())));
    project->ReadHeader();
    EXPECT_TRUE(project->LoadError().isEmpty()) << project->LoadError().toStdString();
    settings = std::make_unique<sf::TRWSetting>(project->ProjectName);
    if (settingsSetup) settingsSetup(*settings);
    sf::TRunSetup setup;
    setup.preview = preview;
    if (!onScreen) setup.showArea = area;
    setup.onScreen = onScreen;
    setup.firstSlide = firstSlide;
    sf::TShowSeams seams;
    seams.clock = clock;
    seams.seed = seed;
    seams.media = media;
    seams.message = message;
    show = std::make_unique<sf::TShow>(*project, *settings, setup, seams);
    run = &show->Screen();
    return *run;
  }
};

// Runs the current transition to its end.
inline void Finish(sf::TfRun& run) {
  for (int i = 0; i < 100000 && run.ShowTimer.isActive(); ++i) run.ShowTimerTimer();
  EXPECT_FALSE(run.ShowTimer.isActive());
}

}  // namespace sftest
