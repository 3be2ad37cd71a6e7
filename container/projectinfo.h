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
#include "container/mediafile.h"
#include "container/mediasource.h"
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

class TProjectInfo : public TProjectHeader, public TMediaSource, public TMediaFetch {
 public:
  // Opens the program file and reads its offset table. A length field or table value that is
  // not an integer fails with EConvertError ("'%s' is not a valid integer value"). A table that
  // points outside the file leaves the project absent: no positions, header defaults, no
  // slides, and LoadError() saying what is wrong.
  explicit TProjectInfo(const QString& programPath);
  ~TProjectInfo() override;
  TProjectInfo(const TProjectInfo&) = delete;
  TProjectInfo& operator=(const TProjectInfo&) = delete;

  void ReadHeader();
  // The slide records, each record's random defaults drawn from `random` in record order.
  void ReadSlides(TRandom& random);

  // Media. A slide's data or the dialog picture as a memory stream with its format code; a
  // music track or a flash or video slide as a file the media player can open: when the media
  // are embedded a temporary copy in TempDir, "qel" + the track's extension for the music and
  // "qelslide" + the medium's extension for a slide, so that a slide's fetch leaves the playing
  // track alone. The fetch shows nothing: the caller tells the user what it needs to.
  bool GetSlideData(int32_t index, QByteArray& stream, int32_t& formatCode) override;
  bool EmbedsMedia() const override { return MediaEmbedded; }
  bool GetDialogPicture(QByteArray& stream, int32_t& formatCode);
  TMediaFile FetchMusic(int32_t index) override;
  TMediaFile FetchMedia(int32_t index) override;

  // Copies length bytes from start of the program file into the stream (replacing what it
  // held) in chunks through one buffer; false when a read fails or delivers no bytes before
  // the region's end, the stream then holding what was copied.
  bool CopyRegion(int64_t start, int64_t length, QByteArray& stream);
  // The header and slide list texts as stored, for tools that list or copy them field by field.
  bool ReadHeaderText(std::string& text) { return ReadRegion(Position.HeaderStart, Position.TableStart, text); }
  bool ReadSlideListText(std::string& text) {
    return ReadRegion(Position.SlideListStart, Position.HeaderStart, text);
  }
  // A stored path as the program finds it: with MediaBesideProgram its file-name part in the
  // program's folder, else the path itself.
  QString ExternalPath(const QString& stored) const override;
  // The project's missing-file text (entry 44) formatted with the path as its one argument; an
  // empty text gives an empty message.
  QString FileNotFoundMessage(const QString& path) const override;

  const QString& ProgramPath() const { return program_path_; }
  bool FileOpened() const { return file_.IsOpen(); }
  // Empty while the project is sound; else why it is treated as absent.
  const QString& LoadError() const { return load_error_; }

  TInfoPosition Position;
  QString TempDir;          // the private temporary folder, with its trailing '/'
  std::vector<TPictureInfo> Slides;

 private:
  void MakeAbsent(const QString& why);
  // Saves a stream to TempDir + stem + the extension of name.
  TMediaFile SaveTempFile(const QByteArray& stream, const QString& stem, const QString& name);
  // Reads [start, end) of the program file; false when the read fails.
  bool ReadRegion(int32_t start, int32_t end, std::string& text);

  QString program_path_;
  TFileHandle file_;
  QString load_error_;
  std::vector<char> copy_buffer_;
};

// The names of the temporary copies of embedded media, before the medium's extension.
inline const QString kMusicFileStem = "qel", kSlideMediaFileStem = "qelslide";

// The size of the chunks media are copied in.
constexpr int64_t kCopyChunk = 409600;

// The extension of a file name with its dot (".jpg"), empty when its file-name part has none.
QString ExtractFileExt(const QString& name);
// The text after the last '\\' or '/'.
QString ExtractFileName(const QString& path);

}  // namespace sf
