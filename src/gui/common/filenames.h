#pragma once
// File names between the system, which allows any bytes but '/' and NUL, and Qt's texts.
#include <string>

#include <QString>

/// The text of `bytes` for the screen: UTF-8 where they are UTF-8, and every other byte as the
/// Latin-1 character of its value, so that a name in another encoding stays readable instead
/// of turning into replacement marks.
QString TextOfBytes(const std::string& bytes);

/// A file name for a title or a menu: TextOfBytes with each control character (a tab, a line
/// break) shown as its picture (U+2400 onwards), so that the name stays whole on one line.
QString DisplayFileName(const std::string& path);

/// The bytes of a file that a file dialog or the system gave as text. Qt decodes a name that is
/// not UTF-8 with loss; each such part of the path is found again among the entries of its
/// folder. A path whose parts are not there (a new file's name) is encoded as UTF-8.
std::string FileNameBytes(const QString& path);
