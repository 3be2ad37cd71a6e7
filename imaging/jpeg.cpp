#include "imaging/jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <vector>

#include "imaging/graphic.h"

namespace sf {
namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void OnMessage(j_common_ptr, int) {}  // warnings are not shown

const char kInvalid[] = "Invalid JPEG image format.";

}  // namespace

QImage DecodeJpeg(const uint8_t* data, size_t size) {
  jpeg_decompress_struct info{};
  ErrorManager err{};
  info.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.emit_message = OnMessage;
  // Objects are declared before the jump target, so that a jump back destroys nothing.
  QImage image;
  std::vector<JSAMPLE> row;
  if (setjmp(err.jump)) {
    const int code = err.pub.msg_code;
    jpeg_destroy_decompress(&info);
    throw EInvalidGraphic(QString("JPEG error #%1").arg(code));
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  // The size the header promises is checked before libjpeg allocates anything for it.
  try {
    CheckPictureCost(info.image_width, info.image_height, size, kInvalid);
  } catch (const EInvalidGraphic&) {
    jpeg_destroy_decompress(&info);
    throw;
  }
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  const bool grey = info.num_components == 1;
  info.out_color_space = cmyk ? JCS_CMYK : grey ? JCS_GRAYSCALE : JCS_EXT_BGRA;
  jpeg_start_decompress(&info);
  const int w = int(info.output_width), h = int(info.output_height);
  try {
    image = NewBitmap(w, h, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32, size, kInvalid);
  } catch (const EInvalidGraphic&) {
    jpeg_destroy_decompress(&info);
    throw;
  }
  row.resize(cmyk ? size_t(w) * 4 : 0);
  while (info.output_scanline < info.output_height) {
    uchar* line = image.scanLine(int(info.output_scanline));
    if (!cmyk) {
      JSAMPROW rows[1] = {line};
      jpeg_read_scanlines(&info, rows, 1);
      continue;
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&info, rows, 1);
    // Adobe writes CMYK inverted: each sample is already 255 - ink.
    auto* out = reinterpret_cast<QRgb*>(line);
    for (int x = 0; x < w; ++x) {
      const JSAMPLE* p = &row[size_t(x) * 4];
      const int k = p[3];
      out[x] = qRgb(p[0] * k / 255, p[1] * k / 255, p[2] * k / 255);
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return image;
}

}  // namespace sf
