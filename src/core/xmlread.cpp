#include "core/xmlread.h"

#include <filesystem>
#include <fstream>

#include "core/TDTDCompound.h"
#include "core/TXMLToken.h"

namespace {

TXMLReadResult Match(const TXMLToken& head, std::string version, const TDTDCompound& grammar) {
  TXMLReadResult result;
  result.Version = std::move(version);
  if (head.TokenKind == xmlTokenError) {
    result.Outcome = TXMLReadOutcome::Failed;
    result.ErrorText = head.GetError();
    return result;
  }
  if (head.TokenKind == xmlTokenEof) {
    result.Outcome = TXMLReadOutcome::NotOpened;
    return result;
  }
  auto root = std::make_unique<TXMLComplexElement>("Root");
  const TXMLToken* cursor = &head;
  bool committed = false;
  if (!grammar.Parse(*root, cursor, result.ErrorText, committed)) {
    result.Outcome = TXMLReadOutcome::Failed;
    return result;
  }
  // Soft failures of optional parts leave their messages behind; a match has none.
  result.ErrorText.clear();
  result.Outcome = TXMLReadOutcome::Read;
  result.Root = std::move(root);
  return result;
}

}  // namespace

TXMLReadResult ReadXMLFile(const std::string& fileName, const TDTDCompound& grammar) {
  std::ifstream in;
  if (!OpenXMLFile(fileName, in)) return TXMLReadResult();
  return ReadXMLStream(in, grammar);
}

TXMLReadResult ReadXMLStream(std::istream& in, const TDTDCompound& grammar) {
  std::string version;
  TXMLToken head(in, version);
  return Match(head, std::move(version), grammar);
}

bool OpenXMLFile(const std::string& fileName, std::ifstream& in) {
  // A folder opens like a file on some systems and then fails on the first read.
  std::error_code ec;
  if (std::filesystem::is_directory(fileName, ec)) return false;
  in.open(fileName, std::ios::binary);
  return in.is_open();
}
