// Making shows: pack a manifest behind the player, a new show from pictures and folders, extract
// a show back into a manifest and its media, put a show's project behind our player, decode a
// picture as the player would.
#pragma once

#include <QStringList>
#include <cstdint>
#include <ostream>

namespace sf {

// The progress of a long copy on standard error, on one line that is rewritten, when standard
// error is a terminal and the media are large; the line is ended when the copy is.
class TProgressLine {
 public:
  explicit TProgressLine(const char* what);
  ~TProgressLine();
  bool operator()(int64_t done, int64_t total);

 private:
  const char* what_;
  bool tty_, shown_ = false;
};

int CmdPack(const QStringList& args, std::ostream& out, std::ostream& err);
int CmdExtract(const QStringList& args, std::ostream& out, std::ostream& err);
int CmdNew(const QStringList& args, std::ostream& out, std::ostream& err);
int CmdRehost(const QStringList& args, std::ostream& out, std::ostream& err);
int CmdDecode(const QStringList& args, std::ostream& out, std::ostream& err);

}  // namespace sf
