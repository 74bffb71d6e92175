#include "document/windowname.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::string WindowNameFromText(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  std::string name = text.substr(begin, end - begin);
  for (char& c : name) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return name;
}
