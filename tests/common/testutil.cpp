#include "tests/common/testutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace sftest {

namespace {
std::string Root() {
  static const std::string root = [] {
    std::string t = (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + std::string("/sftest-XXXXXX");
    if (!mkdtemp(t.data())) std::abort();
    return t;
  }();
  return root;
}
int g_counter = 0;
}  // namespace

std::string ScratchDir(const std::string& name) {
  std::string dir = Root() + "/" + std::to_string(++g_counter) + "-" + name;
  mkdir(dir.c_str(), 0700);
  return dir;
}

std::string WriteFile(const std::string& name, std::string_view bytes) {
  std::string path = Root() + "/" + std::to_string(++g_counter) + "-" + name;
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool HaveImageMagick() {
  static const bool have = [] {
    QProcess p;
    p.start("convert", {"-version"});
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
  }();
  return have;
}

bool WaitUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms) return false;
    QCoreApplication::processEvents();
    QThread::msleep(2);
  }
  return true;
}

std::string ToneWav(int ms, double hertz) {
  auto le16 = [](int v) { return std::string{char(v), char(v >> 8)}; };
  auto le32 = [&](uint32_t v) { return le16(int(v & 0xFFFF)) + le16(int(v >> 16)); };
  const int rate = 8000, samples = rate * ms / 1000;
  std::string data;
  for (int i = 0; i < samples; ++i) data += le16(int(8000 * std::sin(2 * M_PI * hertz * i / rate)));
  return "RIFF" + le32(uint32_t(36 + data.size())) + "WAVEfmt " + le32(16) + le16(1) + le16(1) + le32(rate) +
         le32(rate * 2) + le16(2) + le16(16) + "data" + le32(uint32_t(data.size())) + data;
}

std::string FfmpegMade(const std::string& name, const std::vector<std::string>& arguments) {
  const std::string out = ScratchDir("ffmpeg") + "/" + name;
  QStringList args{"-v", "error", "-y"};
  for (const std::string& a : arguments) args << QString::fromStdString(a);
  args << QString::fromStdString(out);
  QProcess p;
  p.start("ffmpeg", args);
  if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return {};
  return ReadFile(out);
}

std::string F(uint8_t tag, std::string_view value) {
  return std::string(1, char(tag)) + std::string(value) + "\x80";
}

std::string Rec(std::string_view fields) { return std::string(fields) + "\x7F"; }

std::string LengthField(int64_t n, bool rightAligned) {
  std::string s = std::to_string(n);
  std::string pad(10 - s.size(), ' ');
  return rightAligned ? pad + s : s + pad;
}

int32_t ProjectBuilder::AddResource(std::string_view bytes) {
  int32_t at = int32_t(image.size() + media.size());
  media += bytes;
  resources.push_back(at);
  return at;
}

int32_t ProjectBuilder::AddMusic(std::string_view bytes) {
  int32_t at = int32_t(image.size() + media.size());
  media += bytes;
  music.push_back(at);
  return at;
}

std::string ProjectBuilder::Table() const {
  std::string t;
  for (int32_t r : resources) t += "1" + std::to_string(r) + "\x80";
  for (int32_t m : music) t += "4" + std::to_string(m) + "\x80";
  const size_t slideStart = image.size() + media.size();
  t += "5" + std::to_string(slideStart) + "\x80";
  t += "6" + std::to_string(slideStart + slideList.size()) + "\x80";
  return t + extraTable;
}

std::string ProjectBuilder::Build() const {
  std::string t = Table();
  return image + media + slideList + header + t + LengthField(int64_t(t.size()));
}

}  // namespace sftest
