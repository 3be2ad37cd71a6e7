// A file opened for positioned reads, shared read access, existing files only.
#pragma once

#include <QString>
#include <cstdint>

namespace sf {

class TFileHandle {
 public:
  TFileHandle() = default;
  ~TFileHandle();
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;

  bool Open(const QString& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  int64_t Size() const;  // -1 when closed or unknown
  bool Seek(int64_t position);
  // Reads up to count bytes at the current position; gives the bytes read, 0 at the end of the
  // file and -1 on an error.
  int64_t Read(void* buffer, int64_t count);

 private:
  int fd_ = -1;
};

}  // namespace sf
