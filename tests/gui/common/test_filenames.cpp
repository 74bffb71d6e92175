// File names between the system's bytes and Qt's texts: shown whole on one line, and found
// again when a file dialog hands back a name Qt could not decode.
#include <QFile>

#include "gui/common/filenames.h"
#include "gui/support/guitest.h"

TEST(FileNames, TitlesShowEveryNameWholeOnOneLine) {
  const struct {
    const char* Case;
    std::string Bytes;
    QString Shown;
  } rows[] = {
      {"plain", "/a/b.zlf", QStringLiteral("/a/b.zlf")},
      {"UTF-8", "/caf\xC3\xA9 \xE2\x82\xAC.zlf", QStringLiteral("/caf\u00E9 \u20AC.zlf")},
      {"Latin-1", "/caf\xE9.zlf", QStringLiteral("/caf\u00E9.zlf")},
      {"a lone lead byte at the end", "/a\xC3", QStringLiteral("/a\u00C3")},
      {"an overlong slash", "/a\xC0\xAF", QStringLiteral("/a\u00C0\u00AF")},
      {"a surrogate", "/a\xED\xA0\x80", QStringLiteral("/a\u00ED\u00A0\u0080")},
      {"line feed and tab", "/new\nline\t.zlf", QStringLiteral("/new\u240Aline\u2409.zlf")},
      {"delete", "/a\x7F", QStringLiteral("/a\u2421")},
      {"trailing space", "/a.zlf ", QStringLiteral("/a.zlf ")},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Case);
    EXPECT_EQ(DisplayFileName(row.Bytes), row.Shown);
  }
  // Messages keep their line breaks.
  EXPECT_EQ(TextOfBytes("a\nb\xE9"), QStringLiteral("a\nb\u00E9"));
}

TEST(FileNames, DialogTextFindsTheBytesOfItsFileAgain) {
  TScratchDir dir("filenames");
  const std::string folder = dir.File("caf\xE9");
  std::filesystem::create_directory(folder);
  const std::string latin1 = folder + "/\xFC" "ber.zlf";
  const std::string utf8 = folder + "/\xC3\xBC" "ber.zlf";
  WriteFileBytes(latin1, "latin-1");
  WriteFileBytes(utf8, "utf-8");
  const struct {
    const char* Case;
    QString Text;
    std::string Bytes;
  } rows[] = {
      // As Qt's dialog gives them: decoded from the bytes, with loss where they are not UTF-8.
      {"a name and a folder that are not UTF-8", QFile::decodeName(latin1.c_str()), latin1},
      {"a UTF-8 name in such a folder", QFile::decodeName(utf8.c_str()), utf8},
      // A new file's name is made in UTF-8 in the folder found.
      {"a new file", QFile::decodeName((folder + "/new \xC3\xA9.zlf").c_str()),
       folder + "/new \xC3\xA9.zlf"},
      {"a plain path", QString::fromStdString(dir.File("plain.zlf")), dir.File("plain.zlf")},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Case);
    EXPECT_EQ(FileNameBytes(row.Text), row.Bytes);
  }
}
