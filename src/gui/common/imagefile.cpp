#include "gui/common/imagefile.h"

#include <QImage>
#include <QImageWriter>
#include <QSaveFile>
#include <QString>

#include "core/pathsplit.h"
#include "render/TPixelBuffer.h"

namespace {

// Good enough that the colour bands of a fractal show no blocks.
constexpr int JpegQuality = 95;

}  // namespace

std::string ImageFormatOf(const std::string& path) {
  std::string extension;
  LowerFileExtension(path, extension);
  if (extension == "png") return "PNG";
  if (extension == "jpg" || extension == "jpeg") return "JPEG";
  return std::string();
}

// The buffer's memory read as it is, without a copy: R, G, B, X per pixel.
QImage PixelBufferImage(const TPixelBuffer& picture) {
  if (picture.Width() <= 0 || picture.Height() <= 0) return QImage();
  return QImage(reinterpret_cast<const uchar*>(picture.Data()), picture.Width(),
                picture.Height(), picture.Stride(), QImage::Format_RGBX8888);
}

QImage PixelBufferImage(TPixelBuffer& picture) {
  if (picture.Width() <= 0 || picture.Height() <= 0) return QImage();
  return QImage(reinterpret_cast<uchar*>(picture.Data()), picture.Width(), picture.Height(),
                picture.Stride(), QImage::Format_RGBX8888);
}

bool WriteImageFile(const TPixelBuffer& picture, const std::string& path, std::string& error,
                    const std::atomic<bool>* cancel) {
  const std::string format = ImageFormatOf(path);
  if (format.empty()) {
    error = "\"" + path + "\" is not a .png, .jpg or .jpeg file";
    return false;
  }
  const QImage image = PixelBufferImage(picture);
  if (image.isNull()) {
    error = "the picture is empty";
    return false;
  }
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly)) {
    error = file.errorString().toStdString();
    return false;
  }
  QImageWriter writer(&file, QByteArray::fromStdString(format));
  if (format == "JPEG") writer.setQuality(JpegQuality);
  if (!writer.write(image)) {
    error = writer.errorString().toStdString();
    file.cancelWriting();
    return false;
  }
  if (cancel != nullptr && cancel->load()) {
    file.cancelWriting();
    error.clear();
    return false;
  }
  if (!file.commit()) {
    error = file.errorString().toStdString();
    return false;
  }
  return true;
}
