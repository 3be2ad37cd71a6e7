// Writes a small show, byte by byte as the tests lay projects out, behind a copy of the player:
// two pictures' worth of stand-in data, a tune, a header with the show's texts and options,
// and three slide records.
#include <QFile>
#include <cstdio>

#include "tests/common/testutil.h"

using namespace sftest;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sample_show OUT.scr\n");
    return 2;
  }
  ProjectBuilder b;
  b.image = ReadFile(SHOWFORGE_BIN);
  if (b.image.empty()) {
    std::fprintf(stderr, "make_sample_show: cannot read the player %s\n", SHOWFORGE_BIN);
    return 1;
  }
  b.AddResource(std::string(2048, 'J'));
  b.AddResource(std::string(1024, 'P'));
  b.AddResource("");  // the dialog picture: none
  b.AddResource("");
  b.AddMusic(std::string(512, 'M'));
  b.header = F(30, "Sample.scr") + F(1, "tune.wav") + F(5, "4") + F(4, "0") + F(26, "1.2") +
             F(27, "\xA9 2026 Quillmoor") + F(15, "1") + F(16, "Sample author") + F(91, "Settings") +
             F(92, "Stop the show") + F(86, "The file %s is missing.");
  b.slideList = Rec(F(1, "0") + F(2, "harbour.jpg") + F(3, "2048") + F(8, "The harbour at dawn") + F(13, "1") +
                    F(36, "0;5;17;") + F(35, "30")) +
                Rec(F(1, "1") + F(2, "tiles.png") + F(3, "1024") + F(45, "15") + F(46, "2;") + F(24, "Line one\r\nLine two") +
                    F(25, "6")) +
                Rec(F(1, "2") + F(2, "paper.bmp") + F(45, "1") + F(63, "1"));
  const std::string bytes = b.Build();
  QFile out(argv[1]);
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())) {
    std::fprintf(stderr, "make_sample_show: cannot write %s\n", argv[1]);
    return 1;
  }
  out.setPermissions(out.permissions() | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
  std::printf("wrote %s (%zu bytes)\n", argv[1], bytes.size());
  return 0;
}
