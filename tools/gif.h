// A small animated GIF writer for previews of effects: a fixed 252-colour cube palette, LZW,
// each frame the rectangle that changed, drawn over the previous frames.
#pragma once

#include <QFile>
#include <QImage>
#include <QRect>
#include <QString>

namespace sf {

class TGifWriter {
 public:
  bool Open(const QString& path, int width, int height);
  // Adds the part area of image (the whole image when area is empty) shown for delay
  // hundredths of a second.
  bool AddFrame(const QImage& image, QRect area, int delayCs);
  bool Close();

 private:
  void Put(const QByteArray& bytes) { ok_ = ok_ && file_.write(bytes) == bytes.size(); }
  QFile file_;
  int width_ = 0, height_ = 0;
  bool ok_ = false;
};

}  // namespace sf
