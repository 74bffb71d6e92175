#include "cli/pngwriter.h"

#include <QFile>
#include <QImage>
#include <QImageWriter>

#include "render/TPixelBuffer.h"

bool WritePng(const TPixelBuffer& surface, const std::string& path, std::string& error) {
  // The buffer's memory is R, G, B, X per pixel: RGBX8888 reads it as it is, without a copy.
  const QImage image(reinterpret_cast<const uchar*>(surface.Data()), surface.Width(),
                     surface.Height(), surface.Stride(), QImage::Format_RGBX8888);
  if (image.isNull()) {
    error = "the picture is too large for an image";
    return false;
  }
  QImageWriter writer(QFile::decodeName(path.c_str()), "png");
  if (!writer.write(image)) {
    error = writer.errorString().toStdString();
    return false;
  }
  return true;
}
