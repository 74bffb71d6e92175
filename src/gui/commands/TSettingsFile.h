#pragma once
#include <cstddef>
#include <map>
#include <string>
#include <vector>

/// The settings the program keeps between runs (the recent files, the options) in the INI
/// file that Qt's QSettings writes and reads, so that files of earlier versions keep working.
/// The file is read like every file the program reads: only a regular file, opened without
/// waiting, and only up to MaxBytes; anything else is left alone for the run. Values are kept
/// as bytes: a file name need not be UTF-8. Writing goes through a temporary file that replaces
/// the file only when whole, and takes in what another program wrote meanwhile, except for the
/// keys set here.
class TSettingsFile {
public:
  /// The largest settings file read; a few file names take a few kilobytes.
  static constexpr size_t MaxBytes = size_t(1) << 20;

  /// The settings of the file `path`; nothing is read yet.
  explicit TSettingsFile(std::string path);

  const std::string& Path() const { return FilePath; }
  /// Reads the file; a missing file is empty settings. False, with the reason in `problem`,
  /// for a file that is left alone (not a regular file, past MaxBytes, unreadable): the run
  /// then starts from empty settings and never writes the file.
  bool Load(std::string& problem);
  /// Whether the last Load left the file alone.
  bool Ignored() const { return IgnoredFile; }

  /// The list under `key` (a single value is a list of one); empty when missing.
  std::vector<std::string> List(const std::string& key) const;
  /// The flag under `key` ("true" or "false"); `fallback` when missing or neither.
  bool Flag(const std::string& key, bool fallback) const;
  void SetList(const std::string& key, const std::vector<std::string>& values);
  void SetFlag(const std::string& key, bool on);

  /// Writes the file with the keys set since Load. True without writing when the file was
  /// left alone; false with the reason when it cannot be written.
  bool Save(std::string& errorText);

  /// The INI text of one list as QSettings writes it (escapes, quotes, ", " between items,
  /// "@Invalid()" for none).
  static std::string EncodeList(const std::vector<std::string>& values);
  /// The list that an INI value stands for, as QSettings reads it.
  static std::vector<std::string> DecodeList(const std::string& raw);

private:
  // One section of the file ("General" for keys of no group) with its keys and raw values.
  using TSection = std::pair<std::string, std::vector<std::pair<std::string, std::string>>>;
  // Reads the file into `sections`; false with the reason for a file left alone.
  bool ReadFile(std::vector<TSection>& sections, std::string& problem) const;

  std::string FilePath;
  bool IgnoredFile = false;
  // The keys of the "General" section with their raw values.
  std::map<std::string, std::string> Values;
  // The raw values set since Load.
  std::map<std::string, std::string> Changed;
};
