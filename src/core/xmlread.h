#pragma once
#include <iosfwd>
#include <memory>
#include <string>

#include "core/TXMLComplexElement.h"

class TDTDCompound;

/// How reading a file ended.
enum class TXMLReadOutcome {
  NotOpened,  ///< the file could not be opened; there is no message of its own
  Failed,     ///< a tokenizer or grammar message is in ErrorText
  Read        ///< Root holds the tree
};

/// The result of tokenizing a file and matching it against a grammar.
struct TXMLReadResult {
  TXMLReadOutcome Outcome = TXMLReadOutcome::NotOpened;
  /// The text of the last <Version> element of the file, empty when there is none.
  std::string Version;
  std::string ErrorText;
  /// A dummy element "Root" whose first child is the file's root element (only when Read).
  std::unique_ptr<TXMLComplexElement> Root;
};

/// Tokenizes the file and matches it against `grammar` under a dummy parent "Root".
/// Checking the version is left to the caller.
TXMLReadResult ReadXMLFile(const std::string& fileName, const TDTDCompound& grammar);
/// The same for the bytes of a stream.
TXMLReadResult ReadXMLStream(std::istream& in, const TDTDCompound& grammar);

/// Opens `fileName` for reading its bytes into `in`; false for a folder or a file that cannot
/// be opened (the case in which loaders give no message of their own).
bool OpenXMLFile(const std::string& fileName, std::ifstream& in);
