// The project object: the one in-memory image of the show that the program file carries.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "container/fields.h"
#include "container/infoposition.h"
#include "container/pictureinfo.h"
#include "platform/filehandle.h"

namespace sf {

// The show's interface texts: 51 strings from header tags 42 to 92.
using TSettingRes = std::array<QString, kSettingTextCount>;

// Interface texts the program uses, by entry.
enum TSettingText {
  stAboutVersion = 38,
  stAboutMemory = 39,
  stFileNotFound = 44,  // a format with one string placeholder for the path
  stMenuSetting = 49,
  stMenuStop = 50,
};

// The header fields with their defaults.
struct TProjectHeader {
  QStringList MusicFiles;
  bool RandomPosition = true;
  bool RandomOrder = true;
  int32_t DisplaySeconds = 5;
  bool LoopMusic = true;
  int32_t MusicPauseTicks = 5;
  bool RandomMusic = true;
  bool ShowDialogPicture = false;
  bool ShowAuthorInfo = false;
  QString AuthorName;
  bool ShowWebSite = false;
  QString WebSite;
  bool ShowEMail = false;
  QString EMail;
  bool ShowHelpMenu = false;
  QString Version = "1.0";
  QString Copyright;
  bool ShowDescription = false;
  QString Description;
  QString ProjectName;
  QString DialogPicture;
  int32_t MenuMode = 0;
  bool MediaEmbedded = true;
  bool PlayerMediaEmbedded = true;
  int32_t ScreenTransitionMode = 1;
  int32_t FitMode = 1;
  TSettingRes Texts;
  bool MediaBesideProgram = true;

  // Applies each field of a header text in order.
  void ParseHeader(std::string_view text);
};

class TProjectInfo : public TProjectHeader {
 public:
  // Opens the program file and reads its offset table. A length field or table value that is
  // not an integer fails with EConvertError ("'%s' is not a valid integer value"). A table that
  // points outside the file leaves the project absent: no positions, header defaults, no
  // slides, and LoadError() saying what is wrong.
  explicit TProjectInfo(const QString& programPath);
  ~TProjectInfo();
  TProjectInfo(const TProjectInfo&) = delete;
  TProjectInfo& operator=(const TProjectInfo&) = delete;

  void ReadHeader();
  void ReadSlides();

  const QString& ProgramPath() const { return program_path_; }
  bool FileOpened() const { return file_.IsOpen(); }
  // Empty while the project is sound; else why it is treated as absent.
  const QString& LoadError() const { return load_error_; }

  TInfoPosition Position;
  QString TempDir;          // the private temporary folder, with its trailing '/'
  QString CurrentTempFile;  // the media file last written there, empty when none
  std::vector<TPictureInfo> Slides;

 private:
  void MakeAbsent(const QString& why);
  // Reads [start, end) of the program file; false when the read fails.
  bool ReadRegion(int32_t start, int32_t end, std::string& text);

  QString program_path_;
  TFileHandle file_;
  QString load_error_;
};

}  // namespace sf
