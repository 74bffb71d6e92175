#include "gui/common/imagefile.h"

#include <QIODevice>
#include <QImage>
#include <QImageWriter>
#include <QString>

#include "core/TSafeFile.h"
#include "core/pathsplit.h"
#include "render/TPixelBuffer.h"

namespace {

// Good enough that the colour bands of a fractal show no blocks.
constexpr int JpegQuality = 95;

// The encoder writes through this device onto a TSafeFile, which checks every write and keeps
// the system's words for a failure. After a failure the rest is swallowed: the encoders' own
// error paths (libpng's long jump) leak and print, and the file's reason says it better.
class TSafeFileDevice : public QIODevice {
public:
  explicit TSafeFileDevice(TSafeFile& file) : File(file) { open(QIODevice::WriteOnly); }
  bool isSequential() const override { return true; }
  bool Failed() const { return WriteFailed; }

protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    if (!WriteFailed && !File.Write(data, static_cast<size_t>(size))) WriteFailed = true;
    return size;
  }

private:
  TSafeFile& File;
  bool WriteFailed = false;
};

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
                    const std::atomic<bool>* cancel, std::string* warning) {
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
  TSafeFile file;
  if (!file.Open(path)) {
    error = file.Reason();
    return false;
  }
  TSafeFileDevice device(file);
  QImageWriter writer(&device, QByteArray::fromStdString(format));
  if (format == "JPEG") writer.setQuality(JpegQuality);
  const bool encoded = writer.write(image);
  if (device.Failed()) {
    error = file.Reason();
    return false;
  }
  if (!encoded) {
    error = writer.errorString().toStdString();
    return false;
  }
  if (cancel != nullptr && cancel->load()) {
    error.clear();
    return false;
  }
  if (!file.Commit()) {
    error = file.Reason();
    return false;
  }
  if (warning) *warning = file.Warning();
  return true;
}
