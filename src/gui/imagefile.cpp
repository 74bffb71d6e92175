#include "gui/imagefile.h"

#include <QImage>
#include <QImageWriter>
#include <QSaveFile>
#include <QString>

#include "render/TPixelBuffer.h"

namespace {

// Good enough that the colour bands of a fractal show no blocks.
constexpr int JpegQuality = 95;

}  // namespace

std::string ImageFormatOf(const std::string& path) {
  const QString name = QString::fromStdString(path);
  const qsizetype slash = name.lastIndexOf(u'/');
  const qsizetype dot = name.lastIndexOf(u'.');
  if (dot < 0 || dot < slash) return std::string();
  const QString extension = name.mid(dot + 1).toLower();
  if (extension == QLatin1String("png")) return "PNG";
  if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg")) return "JPEG";
  return std::string();
}

bool WriteImageFile(const TPixelBuffer& picture, const std::string& path, std::string& error,
                    const std::atomic<bool>* cancel) {
  const std::string format = ImageFormatOf(path);
  if (format.empty()) {
    error = "\"" + path + "\" is not a .png, .jpg or .jpeg file";
    return false;
  }
  if (picture.Width() <= 0 || picture.Height() <= 0) {
    error = "the picture is empty";
    return false;
  }
  // The surface's memory read as it is: R, G, B, X per pixel.
  const QImage image(reinterpret_cast<const uchar*>(picture.Data()), picture.Width(),
                     picture.Height(), picture.Stride(), QImage::Format_RGBX8888);
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
