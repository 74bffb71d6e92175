#include "gui/commands/TSettingsFile.h"

#include <cerrno>
#include <filesystem>
#include <istream>
#include <system_error>

#include <sys/stat.h>

#include "core/TFileReadBuffer.h"
#include "core/pathsplit.h"
#include "core/safefile.h"
#include "core/systemerror.h"

namespace {

// One section of the file with its keys and raw values (TSettingsFile::TSection).
using TSection = std::pair<std::string, std::vector<std::pair<std::string, std::string>>>;

// QSettings keeps the keys of no group in this section.
const char* const GeneralSection = "General";

bool IsHexDigit(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

std::string LowerHex(unsigned value) {
  static const char Digits[] = "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), Digits[value & 15]);
    value >>= 4;
  } while (value != 0);
  return text;
}

// A character code written as \x or octal, as UTF-8.
void AppendCode(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | ((code >> 12) & 0x0F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// One string as QSettings writes it into an INI value.
std::string EscapeString(std::string text) {
  // A leading '@' would read as the mark of a typed value.
  if (!text.empty() && text.front() == '@') text.insert(text.begin(), '@');
  std::string out;
  bool needsQuotes = false;
  bool escapeNextIfDigit = false;
  for (char c : text) {
    const unsigned char ch = static_cast<unsigned char>(c);
    if (ch == ';' || ch == ',' || ch == '=') needsQuotes = true;
    // A digit after a \x escape would read as part of it.
    if (escapeNextIfDigit && IsHexDigit(ch)) {
      out += "\\x" + LowerHex(ch);
      continue;
    }
    escapeNextIfDigit = false;
    switch (ch) {
      case '\0': out += "\\0"; escapeNextIfDigit = true; break;
      case '\a': out += "\\a"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\v': out += "\\v"; break;
      case '"':
      case '\\':
        out += '\\';
        out += c;
        break;
      default:
        if (ch <= 0x1F) {
          out += "\\x" + LowerHex(ch);
          escapeNextIfDigit = true;
        } else {
          out += c;
        }
    }
  }
  if (needsQuotes || (!out.empty() && (out.front() == ' ' || out.back() == ' ')))
    out = "\"" + out + "\"";
  return out;
}

void ChopTrailingSpaces(std::string& text, size_t limit) {
  while (text.size() > limit && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
}

// The strings of an INI value as QSettings reads them; one item unless it is a list.
std::vector<std::string> UnescapeList(const std::string& raw) {
  std::vector<std::string> list;
  std::string current;
  bool inQuotes = false;
  bool quoted = false;
  size_t i = 0;
  const auto skipSpaces = [&] {
    while (i < raw.size() && (raw[i] == ' ' || raw[i] == '\t')) ++i;
  };
  skipSpaces();
  size_t chopLimit = 0;
  while (i < raw.size()) {
    const char c = raw[i];
    if (c == '\\') {
      ++i;
      if (i >= raw.size()) break;
      const char e = raw[i++];
      static const char Codes[][2] = {{'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'},
                                      {'r', '\r'}, {'t', '\t'}, {'v', '\v'}, {'"', '"'},
                                      {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
      bool named = false;
      for (const auto& code : Codes) {
        if (e == code[0]) {
          current += code[1];
          named = true;
          break;
        }
      }
      if (!named) {
        if (e == 'x' && i < raw.size() && IsHexDigit(static_cast<unsigned char>(raw[i]))) {
          unsigned value = 0;
          while (i < raw.size() && IsHexDigit(static_cast<unsigned char>(raw[i]))) {
            const int digit = HexValue(static_cast<unsigned char>(raw[i++]));
            value = ((value << 4) + static_cast<unsigned>(digit)) & 0xFFFF;
          }
          AppendCode(current, value);
        } else if (e >= '0' && e <= '7') {
          unsigned value = static_cast<unsigned>(e - '0');
          while (i < raw.size() && raw[i] >= '0' && raw[i] <= '7')
            value = ((value << 3) + static_cast<unsigned>(raw[i++] - '0')) & 0xFFFF;
          AppendCode(current, value);
        } else if (e == '\n' || e == '\r') {
          // A line continued on the next.
          if (i < raw.size() && (raw[i] == '\n' || raw[i] == '\r') && raw[i] != e) ++i;
        }
      }
      chopLimit = current.size();
    } else if (c == '"') {
      ++i;
      quoted = true;
      inQuotes = !inQuotes;
      if (!inQuotes) skipSpaces();
    } else if (c == ',' && !inQuotes) {
      if (!quoted) ChopTrailingSpaces(current, chopLimit);
      list.push_back(current);
      current.clear();
      quoted = false;
      chopLimit = 0;
      ++i;
      skipSpaces();
    } else {
      current += c;
      ++i;
    }
  }
  if (!quoted) ChopTrailingSpaces(current, chopLimit);
  list.push_back(current);
  return list;
}

std::string Trimmed(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(begin, end - begin);
}

// Whether `line` ends in a backslash that escapes its line break.
bool Continues(const std::string& line) {
  size_t slashes = 0;
  for (size_t i = line.size(); i > 0 && line[i - 1] == '\\'; --i) ++slashes;
  return slashes % 2 == 1;
}

std::vector<TSection> Parse(const std::string& bytes) {
  std::vector<TSection> sections{{GeneralSection, {}}};
  size_t current = 0;
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  for (size_t n = 0; n < lines.size(); ++n) {
    std::string line = lines[n];
    while (Continues(line) && n + 1 < lines.size()) line += "\n" + lines[++n];
    const std::string text = Trimmed(line);
    if (text.empty() || text.front() == ';' || text.front() == '#') continue;
    if (text.front() == '[') {
      const size_t close = text.find(']');
      const std::string name =
          text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
      // Keys below go to that section, wherever it first appeared.
      current = sections.size();
      for (size_t s = 0; s < sections.size(); ++s) {
        if (sections[s].first == name) current = s;
      }
      if (current == sections.size()) sections.push_back({name, {}});
      continue;
    }
    const size_t equals = text.find('=');
    if (equals == std::string::npos) continue;
    sections[current].second.push_back({Trimmed(text.substr(0, equals)), text.substr(equals + 1)});
  }
  return sections;
}

}  // namespace

TSettingsFile::TSettingsFile(std::string path) : FilePath(std::move(path)) {}

bool TSettingsFile::ReadFile(std::vector<TSection>& sections, std::string& problem) const {
  sections = {{GeneralSection, {}}};
  struct stat info {};
  if (::lstat(FilePath.c_str(), &info) != 0 && errno == ENOENT) return true;
  TFileReadBuffer buffer;
  std::string reason;
  if (!buffer.Open(FilePath, reason)) {
    problem = reason.empty() ? SystemErrorText(EACCES) : reason;
    return false;
  }
  std::istream in(&buffer);
  std::string bytes;
  char block[1 << 16];
  while (in.read(block, sizeof block), in.gcount() > 0) {
    bytes.append(block, static_cast<size_t>(in.gcount()));
    if (bytes.size() > MaxBytes) {
      problem = "it is larger than " + std::to_string(MaxBytes >> 10) + " KB";
      return false;
    }
  }
  if (in.bad()) {
    problem = SystemErrorText(EIO);
    return false;
  }
  sections = Parse(bytes);
  return true;
}

bool TSettingsFile::Load(std::string& problem) {
  Values.clear();
  Changed.clear();
  std::vector<TSection> sections;
  IgnoredFile = !ReadFile(sections, problem);
  if (IgnoredFile) return false;
  for (const TSection& section : sections) {
    if (section.first != GeneralSection) continue;
    for (const auto& [key, raw] : section.second) Values[key] = raw;
  }
  return true;
}

std::vector<std::string> TSettingsFile::List(const std::string& key) const {
  const auto found = Values.find(key);
  return found == Values.end() ? std::vector<std::string>() : DecodeList(found->second);
}

bool TSettingsFile::Flag(const std::string& key, bool fallback) const {
  const std::vector<std::string> values = List(key);
  if (values.size() != 1) return fallback;
  if (values[0] == "true") return true;
  if (values[0] == "false") return false;
  return fallback;
}

void TSettingsFile::SetList(const std::string& key, const std::vector<std::string>& values) {
  Values[key] = Changed[key] = EncodeList(values);
}

void TSettingsFile::SetFlag(const std::string& key, bool on) {
  Values[key] = Changed[key] = on ? "true" : "false";
}

bool TSettingsFile::Save(std::string& errorText) {
  if (IgnoredFile) return true;
  // What another running program stored meanwhile stays, but for the keys set here.
  std::vector<TSection> sections;
  if (!ReadFile(sections, errorText)) return false;
  for (const auto& [key, raw] : Changed) {
    auto& general = sections.front().second;
    bool replaced = false;
    for (auto& entry : general) {
      if (entry.first == key) {
        entry.second = raw;
        replaced = true;
      }
    }
    if (!replaced) general.push_back({key, raw});
  }
  std::string text;
  for (const TSection& section : sections) {
    if (section.second.empty()) continue;
    if (!text.empty()) text += "\n";
    text += "[" + section.first + "]\n";
    for (const auto& [key, raw] : section.second) text += key + "=" + raw + "\n";
  }
  std::string folder;
  std::string file;
  if (PathOfPathFile(FilePath, folder, file, errorText)) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
  }
  if (!WriteFileSafely(FilePath, text, errorText)) return false;
  for (const TSection& section : sections) {
    if (section.first != GeneralSection) continue;
    for (const auto& [key, raw] : section.second) Values[key] = raw;
  }
  return true;
}

std::string TSettingsFile::EncodeList(const std::vector<std::string>& values) {
  if (values.empty()) return "@Invalid()";
  std::string raw;
  for (size_t i = 0; i < values.size(); ++i) raw += (i > 0 ? ", " : "") + EscapeString(values[i]);
  return raw;
}

std::vector<std::string> TSettingsFile::DecodeList(const std::string& raw) {
  std::vector<std::string> values = UnescapeList(raw);
  if (values.size() == 1 && values[0] == "@Invalid()") return {};
  for (std::string& value : values) {
    if (value.rfind("@@", 0) == 0) value.erase(value.begin());
  }
  return values;
}
