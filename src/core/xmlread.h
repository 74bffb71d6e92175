#pragma once
#include <iosfwd>
#include <memory>
#include <string>

#include "core/TXMLComplexElement.h"

class TDTDCompound;

/// How reading a file ended.
enum class TXMLReadOutcome {
  NotOpened,  ///< the file could not be opened or is not a regular file (see ErrorText)
  Failed,     ///< a tokenizer or grammar message is in ErrorText
  Read        ///< Root holds the tree
};

/// The result of tokenizing a file and matching it against a grammar.
struct TXMLReadResult {
  TXMLReadOutcome Outcome = TXMLReadOutcome::NotOpened;
  /// The text of the last <Version> element of the file, empty when there is none.
  std::string Version;
  /// The message when Failed; when NotOpened, NotRegularFileText for something that is not a
  /// regular file and empty otherwise.
  std::string ErrorText;
  /// A dummy element "Root" whose first child is the file's root element (only when Read).
  std::unique_ptr<TXMLComplexElement> Root;
};

/// Tokenizes the file and matches it against `grammar` under a dummy parent "Root".
/// Checking the version is left to the caller.
TXMLReadResult ReadXMLFile(const std::string& fileName, const TDTDCompound& grammar);
/// The same for the bytes of a stream. Tokens are read as the grammar asks for them and
/// dropped once it has decided; the rest of the stream is still read, so that a tokenizer
/// error later in the file wins over the grammar's message and the last Version counts.
TXMLReadResult ReadXMLStream(std::istream& in, const TDTDCompound& grammar);

/// Opens `fileName` for reading its bytes into `in` without ever blocking; false for a file
/// that cannot be opened (`reason` empty: loaders give no message of their own) or that is
/// not a regular file (`reason` = NotRegularFileText: a named pipe, a device, a folder).
/// `in` keeps the file open until it is destroyed or opened again.
bool OpenXMLFile(const std::string& fileName, std::ifstream& in, std::string& reason);
/// The same without the reason.
bool OpenXMLFile(const std::string& fileName, std::ifstream& in);
