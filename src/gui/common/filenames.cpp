#include "gui/common/filenames.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QFile>
#include <QStringList>

namespace {

// The length of the UTF-8 sequence at `at` (1 to 4), or 0 when the bytes there are not one:
// overlong forms, surrogates and values past U+10FFFF do not count.
size_t Utf8Length(const std::string& s, size_t at, char32_t& code) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char first = byte(at);
  if (first < 0x80) {
    code = first;
    return 1;
  }
  size_t length = 0;
  if ((first & 0xE0) == 0xC0) {
    length = 2;
    code = first & 0x1F;
  } else if ((first & 0xF0) == 0xE0) {
    length = 3;
    code = first & 0x0F;
  } else if ((first & 0xF8) == 0xF0) {
    length = 4;
    code = first & 0x07;
  } else {
    return 0;
  }
  if (at + length > s.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  static const char32_t Least[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < Least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

// The entry of `folder` whose name Qt decodes as `name`, or "".
std::string EntryDecodedAs(const std::string& folder, const QString& name) {
  DIR* dir = ::opendir(folder.empty() ? "/" : folder.c_str());
  if (!dir) return "";
  std::string found;
  while (const dirent* entry = ::readdir(dir)) {
    if (QFile::decodeName(entry->d_name) == name) {
      found = entry->d_name;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

}  // namespace

QString TextOfBytes(const std::string& bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (size_t i = 0; i < bytes.size();) {
    char32_t code = 0;
    const size_t length = Utf8Length(bytes, i, code);
    if (length == 0) {
      text += QChar(static_cast<unsigned char>(bytes[i]));
      ++i;
      continue;
    }
    text += QString::fromUcs4(&code, 1);
    i += length;
  }
  return text;
}

QString DisplayFileName(const std::string& path) {
  QString text = TextOfBytes(path);
  for (QChar& c : text) {
    if (c.unicode() < 0x20) c = QChar(0x2400 + c.unicode());
    else if (c.unicode() == 0x7F) c = QChar(0x2421);
  }
  return text;
}

std::string FileNameBytes(const QString& path) {
  const std::string encoded = QFile::encodeName(path).toStdString();
  if (!path.startsWith(u'/') || Exists(encoded)) return encoded;
  std::string bytes;
  const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
  for (qsizetype i = 0; i < parts.size(); ++i) {
    const std::string plain = bytes + "/" + QFile::encodeName(parts[i]).toStdString();
    if (Exists(plain)) {
      bytes = plain;
      continue;
    }
    const std::string entry = EntryDecodedAs(bytes, parts[i]);
    // Not there: a name to be made, in the encoding names are made in.
    bytes = entry.empty() ? plain : bytes + "/" + entry;
  }
  return bytes.empty() ? encoded : bytes;
}
