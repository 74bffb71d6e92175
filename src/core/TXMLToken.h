#pragma once
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
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

/// One token of an XML file. The head token, made by one of the public constructors, reads the
/// whole file and owns the chain of tokens behind it; its kind tells the outcome.
class TXMLToken {
  struct TKey {
    explicit TKey() = default;
  };

public:
  /// Reads the stream to its end (CR LF or LF line ends). `version` receives the text of the
  /// last <Version> element, empty when there is none. A read error gives an end-of-file head,
  /// as a file that cannot be opened does (see OpenXMLFile).
  TXMLToken(std::istream& in, std::string& version);
  /// The largest file read, in bytes. Every token stays in memory until parsing is over, and a
  /// file of tiny tokens needs some thirty times its size; a larger file gets TooLargeText.
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
  /// The following token, nullptr at the end.
  const TXMLToken* GetNext() const { return Next; }

private:
  struct TChain;
  void RefuseAsTooLarge();
  void Tokenize(const std::string& bytes, std::string& version);

  // The element name, the text or the error text, by kind (a token holds only one of them).
  std::string Content;
  int Line = 0;
  int Column = 0;
  const TXMLToken* Next = nullptr;
  std::unique_ptr<TChain> Chain;  // only in the head
};
