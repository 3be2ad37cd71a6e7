// The named instance lock that keeps one copy of the program running at a time.
//
// A lock file named after the mutex, held with flock() for the life of the object. The kernel
// drops the lock when the process ends in any way, so a crashed show never blocks the next.
#pragma once

#include <QString>

namespace sf {

class TNamedMutex {
 public:
  // Takes the lock named `name`. AlreadyExists() tells whether another process holds it.
  explicit TNamedMutex(const QString& name);
  ~TNamedMutex();
  TNamedMutex(const TNamedMutex&) = delete;
  TNamedMutex& operator=(const TNamedMutex&) = delete;

  bool AlreadyExists() const { return already_exists_; }
  const QString& LockPath() const { return path_; }

  // $XDG_RUNTIME_DIR when it is a folder, else a private folder /tmp/showforge-UID (0700).
  static QString LockFolder();

 private:
  int fd_ = -1;
  bool already_exists_ = false;
  QString path_;
};

}  // namespace sf
