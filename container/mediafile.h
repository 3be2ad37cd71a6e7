// A medium fetched for the media player (a music track, a flash movie, a video clip).
#pragma once

#include <QString>
#include <cstdint>

namespace sf {

// A medium the show carries is copied to a temporary file, which goes with the object; an
// external medium is its own file, which stays. A fetch that fails holds no path and says why.
class TMediaFile {
 public:
  enum class TError {
    None,
    NoSuchMedium,  // no track or slide of that number
    Missing,       // the external file is not there (MissingPath() names it)
    Unwritable,    // the medium could not be read or its temporary copy not written
  };

  TMediaFile() = default;
  static TMediaFile Temporary(const QString& path) { return TMediaFile(path, true, TError::None); }
  static TMediaFile External(const QString& path) { return TMediaFile(path, false, TError::None); }
  static TMediaFile Failed(TError error, const QString& missingPath = {}) {
    TMediaFile f({}, false, error);
    f.missing_ = missingPath;
    return f;
  }
  TMediaFile(TMediaFile&& other) noexcept { *this = std::move(other); }
  TMediaFile& operator=(TMediaFile&& other) noexcept;
  TMediaFile(const TMediaFile&) = delete;
  TMediaFile& operator=(const TMediaFile&) = delete;
  ~TMediaFile() { Release(); }

  bool Ok() const { return !path_.isEmpty(); }
  // The file the media player opens; empty when the fetch failed.
  const QString& Path() const { return path_; }
  TError Error() const { return error_; }
  const QString& MissingPath() const { return missing_; }
  // Removes a temporary copy now and holds nothing.
  void Release();

 private:
  TMediaFile(const QString& path, bool temporary, TError error) : path_(path), temporary_(temporary), error_(error) {}

  QString path_;
  bool temporary_ = false;
  TError error_ = TError::None;
  QString missing_;
};

// Where a show's tracks and its slides' clips and movies come from as files: the project fetches
// them from its program file or from beside it.
class TMediaFetch {
 public:
  virtual ~TMediaFetch() = default;
  // Music track `index` of the playlist.
  virtual TMediaFile FetchMusic(int32_t index) = 0;
  // The medium of the slide record whose resource is `index`.
  virtual TMediaFile FetchMedia(int32_t index) = 0;
};

}  // namespace sf
