// Locks between processes of the same user: the named instance lock that keeps one copy of the
// program running at a time, and the lock file beneath it that other agreements between
// processes (who plays a show's music) are made through.
//
// A lock file in LockFolder(), held with flock(). The kernel drops the lock when its holder ends
// in any way, so a crashed show never blocks the next. flock() locks belong to an open file, so
// two lock objects of the same name exclude each other also within one process.
#pragma once

#include <QByteArray>
#include <QString>

namespace sf {

class TLockFile {
 public:
  enum class TTake {
    Taken,   // this object holds the lock
    Busy,    // another holder has it
    Failed,  // no lock can be had here (no lock folder, a file that cannot be opened)
  };
  // The lock `name`: the file LockFolder()/name.lock. Nothing is opened or taken yet.
  explicit TLockFile(const QString& name);
  ~TLockFile() { Release(); }
  TLockFile(const TLockFile&) = delete;
  TLockFile& operator=(const TLockFile&) = delete;

  // Takes the lock without waiting; Taken at once when this object holds it already.
  TTake TryTake();
  // Gives the lock up (nothing when it is not held).
  void Release();
  bool Held() const { return fd_ >= 0; }
  const QString& Path() const { return path_; }

  // A short note the holder leaves in the lock file for the next holder (which track it plays);
  // Note() reads what the last holder left there. Empty when nothing was left or the lock is not
  // held.
  bool SetNote(const QByteArray& note);
  QByteArray Note() const;

 private:
  QString path_;
  int fd_ = -1;
};

class TNamedMutex {
 public:
  // Takes the lock named `name`. AlreadyExists() tells whether another process holds it.
  explicit TNamedMutex(const QString& name);
  TNamedMutex(const TNamedMutex&) = delete;
  TNamedMutex& operator=(const TNamedMutex&) = delete;

  bool AlreadyExists() const { return already_exists_; }
  const QString& LockPath() const { return lock_.Path(); }

  // $XDG_RUNTIME_DIR when it is a folder, else a private folder /tmp/showforge-UID (0700).
  static QString LockFolder();

 private:
  TLockFile lock_;
  bool already_exists_ = false;
};

// A text made fit to be part of a lock's file name: letters, digits, '-' and '_' stay, every
// other byte of its UTF-8 form becomes '_', and it is cut to at most `max` bytes.
QString LockNamePart(const QString& text, int max = 48);

}  // namespace sf
