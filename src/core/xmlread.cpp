#include "core/xmlread.h"

#include <fstream>

#include "core/TDTDCompound.h"
#include "core/TFileReadBuffer.h"
#include "core/TXMLToken.h"

namespace {

// The stream keeps its buffer in this slot and deletes it with itself.
const int BufferSlot = std::ios_base::xalloc();

void DeleteBuffer(std::ios_base::event event, std::ios_base& stream, int slot) {
  if (event != std::ios_base::erase_event) return;
  delete static_cast<TFileReadBuffer*>(stream.pword(slot));
  stream.pword(slot) = nullptr;
  // A live stream (copyfmt) must not go on reading from the deleted buffer; a stream being
  // destroyed is no longer a basic_ios here.
  if (auto* live = dynamic_cast<std::ios*>(&stream)) live->rdbuf(nullptr);
}

}  // namespace

TXMLReadResult ReadXMLFile(const std::string& fileName, const TDTDCompound& grammar) {
  std::ifstream in;
  TXMLReadResult result;
  if (!OpenXMLFile(fileName, in, result.ErrorText)) return result;
  return ReadXMLStream(in, grammar);
}

TXMLReadResult ReadXMLStream(std::istream& in, const TDTDCompound& grammar) {
  TXMLToken head(in, TXMLToken::TOnDemand());
  auto root = std::make_unique<TXMLComplexElement>("Root");
  const TXMLToken* cursor = &head;
  bool committed = false;
  std::string grammarError;
  const bool matched = grammar.Parse(*root, cursor, grammarError, committed);

  TXMLReadResult result;
  head.ReadToEnd(result.Version);
  if (head.TokenKind == xmlTokenError) {
    result.Outcome = TXMLReadOutcome::Failed;
    result.ErrorText = head.GetError();
  } else if (head.TokenKind == xmlTokenEof) {
    result.Outcome = TXMLReadOutcome::NotOpened;
  } else if (!matched) {
    result.Outcome = TXMLReadOutcome::Failed;
    result.ErrorText = std::move(grammarError);
  } else {
    // Soft failures of optional parts leave their messages behind; a match has none.
    result.Outcome = TXMLReadOutcome::Read;
    result.Root = std::move(root);
  }
  return result;
}

bool OpenXMLFile(const std::string& fileName, std::ifstream& in, std::string& reason) {
  auto buffer = std::make_unique<TFileReadBuffer>();
  if (!buffer->Open(fileName, reason)) return false;
  // The ifstream is only the holder: its own file buffer cannot open without blocking.
  if (in.iword(BufferSlot) == 0) {
    in.iword(BufferSlot) = 1;
    in.register_callback(DeleteBuffer, BufferSlot);
  }
  delete static_cast<TFileReadBuffer*>(in.pword(BufferSlot));
  in.pword(BufferSlot) = buffer.get();
  std::istream& stream = in;
  stream.rdbuf(buffer.release());
  return true;
}

bool OpenXMLFile(const std::string& fileName, std::ifstream& in) {
  std::string reason;
  return OpenXMLFile(fileName, in, reason);
}
