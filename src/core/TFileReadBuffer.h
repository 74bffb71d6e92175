#pragma once
#include <streambuf>
#include <string>

/// A stream buffer that reads one regular file. Opening never waits: the file is opened
/// without blocking and kept only when the opened object is a regular file, so a named pipe,
/// a device or a folder is refused at once, even one put in place between a check and the
/// opening. A read error sets the reading stream's badbit.
class TFileReadBuffer : public std::streambuf {
public:
  TFileReadBuffer() = default;
  /// Closes the file.
  ~TFileReadBuffer() override;
  TFileReadBuffer(const TFileReadBuffer&) = delete;
  TFileReadBuffer& operator=(const TFileReadBuffer&) = delete;

  /// Opens `path` for reading. False when it cannot be opened (`reason` empty: a missing or
  /// forbidden file, as the readers have always said nothing of their own) or when it is not a
  /// regular file (`reason` = NotRegularFileText).
  bool Open(const std::string& path, std::string& reason);

protected:
  int_type underflow() override;

private:
  int Fd = -1;
  char Buffer[1 << 16];
};
