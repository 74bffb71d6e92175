#pragma once
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>

/// Kinds of tokens; the values are part of the token record.
enum TXMLTokenKind : uint8_t {
  xmlTokenAttr,   ///< text between tags
  xmlTokenBegin,  ///< <Name>
  xmlTokenEnd,    ///< </Name>
  xmlTokenEmpty,  ///< <Name/>
  xmlTokenEof,    ///< end of the file; the head's kind when the file cannot be opened
  xmlTokenError,  ///< a character not allowed where it stands; the head's kind on any error
  xmlTokenStart   ///< the head of a chain read without error
};

/// One token of an XML file. The head token, made by one of the public constructors, reads
/// the file and owns the chain of tokens behind it; its kind tells the outcome.
class TXMLToken {
  struct TKey {
    explicit TKey() = default;
  };

public:
  /// Reads the stream to its end (CR LF or LF line ends) and keeps every token. `version`
  /// receives the text of the last <Version> element, empty when there is none. A read error
  /// gives an end-of-file head, as a file that cannot be opened does (see OpenXMLFile).
  TXMLToken(std::istream& in, std::string& version);

  /// Chooses the constructor that reads tokens only as they are asked for.
  struct TOnDemand {
    explicit TOnDemand() = default;
  };
  /// A head that reads its tokens one by one as GetNext asks for them, for one grammar match,
  /// so that a match that fails early has read few. Its kind is xmlTokenStart until ReadToEnd.
  /// The stream must outlive the reading.
  TXMLToken(std::istream& in, TOnDemand);
  /// Ends reading on demand: drops every token read (pointers to them become invalid), reads
  /// the rest of the stream without keeping its tokens, then sets the kind and the error text
  /// and fills `version` exactly as the reading constructor does.
  void ReadToEnd(std::string& version);

  /// The largest file read, in bytes; a larger file gets TooLargeText. A file that matches its
  /// grammar keeps every token until parsing is over, a few dozen bytes for each byte read.
  static constexpr size_t MaxFileBytes = size_t(64) << 20;
  /// The error text of a file beyond MaxFileBytes.
  static constexpr const char* TooLargeText =
      "The file is larger than 64 MB, it cannot be read.";

  /// A token of the chain (only the head makes these).
  explicit TXMLToken(TKey);
  ~TXMLToken();
  TXMLToken(const TXMLToken&) = delete;
  TXMLToken& operator=(const TXMLToken&) = delete;

  TXMLTokenKind TokenKind = xmlTokenStart;

  /// The trimmed text of an xmlTokenAttr token (fatal assertion on other kinds).
  const std::string& GetText() const;
  /// The name of a begin, end or empty tag (fatal assertion on other kinds).
  const std::string& GetElement() const;
  /// The message of an xmlTokenError token (fatal assertion on other kinds).
  const std::string& GetError() const;
  /// Line and column of the token's last character.
  int GetLine() const { return Line; }
  int GetColumn() const { return Column; }
  /// The following token, nullptr at the end; on demand it is read now.
  const TXMLToken* GetNext() const {
    return Next != nullptr || Source == nullptr ? Next : ReadNext();
  }

private:
  struct TChain;
  const TXMLToken* ReadNext() const;
  void Finish(std::string& version, bool keepTokens);

  // The element name, the text or the error text, by kind (a token holds only one of them).
  std::string Content;
  int Line = 0;
  int Column = 0;
  // Read on demand behind the last token read so far.
  mutable const TXMLToken* Next = nullptr;
  // The chain that reads on demand, owned by the head; null once reading is over.
  TChain* Source = nullptr;
};
