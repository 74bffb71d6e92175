#include "core/TXMLToken.h"

#include <deque>
#include <istream>

#include "core/assertions.h"

namespace {

enum class TClass { White, Letter, Digit, Other, Slash, Open, Close, End };
enum class TState {
  Start, Text, Open, BeginName, AfterBeginName, EmptyClose, EndOpen, EndName, AfterEndName
};

constexpr int EndOfFile = -1;

TClass Classify(int c) {
  if (c == EndOfFile) return TClass::End;
  if (c == ' ' || c == '\t' || c == '\n') return TClass::White;
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return TClass::Letter;
  if (c >= '0' && c <= '9') return TClass::Digit;
  if (c == '/') return TClass::Slash;
  if (c == '<') return TClass::Open;
  if (c == '>') return TClass::Close;
  return TClass::Other;
}

// Reads the bytes of a stream block by block as a text-mode stream would on the original
// platform: CR LF is one line feed, a lone CR is an ordinary byte. Keeps the running line and
// column, and stops at the end, at a read error or past MaxFileBytes.
class TCharReader {
public:
  explicit TCharReader(std::istream& in) : In(in) {}

  int Get() {
    if (Pos == End && !Fill()) return EndOfFile;
    int c = static_cast<unsigned char>(*Pos++);
    if (c == '\r') {
      // Only a '<' is ever put back, so the CR may leave the block.
      if (Pos == End) Fill();
      if (Pos != End && *Pos == '\n') {
        ++Pos;
        c = '\n';
      }
    }
    if (c == '\n') {
      ++Line;
      Column = 1;
    } else {
      ++Column;
    }
    return c;
  }
  // Appends the bytes up to the next one that matters to the state machine (a tag character,
  // a line end or a tab); they all stay on this line and need no conversion.
  void TakeText(std::string& out) {
    const char* run = Pos;
    while (Pos != End && *Pos != '<' && *Pos != '>' && *Pos != '\n' && *Pos != '\r' &&
           *Pos != '\t')
      ++Pos;
    out.append(run, Pos);
    Column += static_cast<int>(Pos - run);
  }
  // Appends the letters and digits that follow.
  void TakeName(std::string& out) {
    const char* run = Pos;
    while (Pos != End && ((*Pos >= 'A' && *Pos <= 'Z') || (*Pos >= 'a' && *Pos <= 'z') ||
                          (*Pos >= '0' && *Pos <= '9')))
      ++Pos;
    out.append(run, Pos);
    Column += static_cast<int>(Pos - run);
  }
  // Only a '<' is ever put back, a single byte of the current block.
  void PutBack() {
    --Pos;
    --Column;
  }
  void SkipLine() {
    for (int count = 0; count < 98; ++count) {
      const int c = Get();
      if (c == EndOfFile || c == '\n') return;
    }
  }
  void StartCounting() {
    Line = 3;
    Column = 1;
  }
  // Reads what is left without looking at it: a read error or a size past the limit later in
  // the file still decides the outcome.
  void SkipRest() {
    Pos = End;
    while (Fill()) Pos = End;
  }

  int Line = 1;
  int Column = 1;
  bool Failed = false;    // a read error
  bool TooLarge = false;  // more than MaxFileBytes

private:
  bool Fill() {
    if (Stopped) return false;
    In.read(Block, sizeof Block);
    const size_t n = static_cast<size_t>(In.gcount());
    Total += n;
    if (In.bad()) {
      Failed = true;
    } else if (Total > TXMLToken::MaxFileBytes) {
      TooLarge = true;
    } else if (n > 0) {
      Pos = Block;
      End = Block + n;
      return true;
    }
    Stopped = true;
    Pos = End = Block;
    return false;
  }

  std::istream& In;
  char Block[1 << 16];
  const char* Pos = Block;
  const char* End = Block;
  size_t Total = 0;
  bool Stopped = false;
};

std::string Trimmed(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return text.substr(begin, end - begin);
}

char Spaced(int c) {
  return c == '\t' || c == '\n' || c == '\r' ? ' ' : static_cast<char>(c);
}

}  // namespace

// The tokenizer's state and the tokens read so far, owned by the head.
struct TXMLToken::TChain {
  TChain(std::istream& in, const TXMLToken* head) : Reader(in), Head(head) {
    Reader.SkipLine();
    Reader.SkipLine();
    Reader.StartCounting();
  }
  // Reads the next token into `token` and keeps the version.
  void Read(TXMLToken& token);

  TCharReader Reader;
  const TXMLToken* const Head;  // the owner
  // A deque keeps the tokens in place and frees them without one call per token.
  std::deque<TXMLToken> Tokens;
  std::string Version;
  bool AfterVersionBegin = false;
  // An end-of-file or error token has been read; nothing follows it.
  bool Ended = false;
  std::string ErrorText;  // of the error token that ended the reading
};

void TXMLToken::TChain::Read(TXMLToken& token) {
  token.Content.clear();
  TState state = TState::Start;
  std::string text;
  bool done = false;
  int c = EndOfFile;
  auto emit = [&](TXMLTokenKind kind) {
    token.TokenKind = kind;
    token.Line = Reader.Line;
    token.Column = Reader.Column - 1;
    done = true;
  };
  auto fail = [&]() {
    emit(xmlTokenError);
    std::string what = c == EndOfFile ? std::string("end-of-file ")
                                      : "'" + std::string(1, static_cast<char>(c)) + "'";
    token.Content = "unexpected " + what + " found in line " + std::to_string(token.Line) +
                    ", column " + std::to_string(token.Column) + ".";
  };
  while (!done) {
    c = Reader.Get();
    const TClass cls = Classify(c);
    switch (state) {
      case TState::Start:
        if (cls == TClass::White) break;
        if (cls == TClass::Letter || cls == TClass::Digit || cls == TClass::Other ||
            cls == TClass::Slash) {
          text += Spaced(c);
          Reader.TakeText(text);
          state = TState::Text;
        } else if (cls == TClass::Open) {
          state = TState::Open;
        } else if (cls == TClass::End) {
          emit(xmlTokenEof);
        } else {
          fail();
        }
        break;
      case TState::Text:
        if (cls == TClass::Open) {
          emit(xmlTokenAttr);
          token.Content = Trimmed(text);
          Reader.PutBack();
        } else if (cls == TClass::Close || cls == TClass::End) {
          fail();
        } else {
          text += Spaced(c);
          Reader.TakeText(text);
        }
        break;
      case TState::Open:
        if (cls == TClass::White) break;
        if (cls == TClass::Letter || cls == TClass::Digit) {
          token.Content += static_cast<char>(c);
          Reader.TakeName(token.Content);
          state = TState::BeginName;
        } else if (cls == TClass::Slash) {
          state = TState::EndOpen;
        } else {
          fail();
        }
        break;
      case TState::BeginName:
        if (cls == TClass::White) {
          state = TState::AfterBeginName;
        } else if (cls == TClass::Letter || cls == TClass::Digit) {
          token.Content += static_cast<char>(c);
        } else if (cls == TClass::Slash) {
          state = TState::EmptyClose;
        } else if (cls == TClass::Close) {
          emit(xmlTokenBegin);
        } else {
          fail();
        }
        break;
      case TState::AfterBeginName:
        if (cls == TClass::White) break;
        if (cls == TClass::Slash) {
          state = TState::EmptyClose;
        } else if (cls == TClass::Close) {
          emit(xmlTokenBegin);
        } else {
          fail();
        }
        break;
      case TState::EmptyClose:
        if (cls == TClass::White) break;
        if (cls == TClass::Close)
          emit(xmlTokenEmpty);
        else
          fail();
        break;
      case TState::EndOpen:
        if (cls == TClass::White) break;
        if (cls == TClass::Letter || cls == TClass::Digit) {
          token.Content += static_cast<char>(c);
          Reader.TakeName(token.Content);
          state = TState::EndName;
        } else {
          fail();
        }
        break;
      case TState::EndName:
        if (cls == TClass::White) {
          state = TState::AfterEndName;
        } else if (cls == TClass::Letter || cls == TClass::Digit) {
          token.Content += static_cast<char>(c);
        } else if (cls == TClass::Close) {
          emit(xmlTokenEnd);
        } else {
          fail();
        }
        break;
      case TState::AfterEndName:
        if (cls == TClass::White) break;
        if (cls == TClass::Close)
          emit(xmlTokenEnd);
        else
          fail();
        break;
    }
  }

  if (AfterVersionBegin && token.TokenKind == xmlTokenAttr) Version = token.Content;
  AfterVersionBegin = token.TokenKind == xmlTokenBegin && token.Content == "Version";
  if (token.TokenKind == xmlTokenError) {
    ErrorText = token.Content;
    Ended = true;
  } else if (token.TokenKind == xmlTokenEof) {
    Ended = true;
  }
}

TXMLToken::TXMLToken(TKey) {}

TXMLToken::~TXMLToken() {
  if (Source != nullptr && Source->Head == this) delete Source;
}

TXMLToken::TXMLToken(std::istream& in, TOnDemand)
    : Content("Unknown Error"), Source(new TChain(in, this)) {}

TXMLToken::TXMLToken(std::istream& in, std::string& version) : TXMLToken(in, TOnDemand()) {
  for (const TXMLToken* token = this; token != nullptr;) token = token->GetNext();
  Finish(version, true);
}

void TXMLToken::ReadToEnd(std::string& version) {
  if (Source == nullptr) return;
  Finish(version, false);
}

const TXMLToken* TXMLToken::ReadNext() const {
  if (Source->Ended || TokenKind == xmlTokenEof || TokenKind == xmlTokenError) return nullptr;
  // Some thousands at a time: tokens side by side in memory are made and freed much faster
  // than tokens scattered between the elements of the tree, and a match that fails early
  // still holds no more than these.
  constexpr int ReadAhead = 4096;
  const TXMLToken* previous = this;
  for (int count = 0; count < ReadAhead && !Source->Ended; ++count) {
    TXMLToken& token = Source->Tokens.emplace_back(TKey{});
    token.Source = Source;
    Source->Read(token);
    previous->Next = &token;
    previous = &token;
  }
  return Next;
}

void TXMLToken::Finish(std::string& version, bool keepTokens) {
  TChain& chain = *Source;
  if (!keepTokens) {
    Next = nullptr;
    chain.Tokens.clear();
  }
  // The tokens not asked for are read one at a time into the same place.
  if (!chain.Ended) {
    TXMLToken scratch(TKey{});
    while (!chain.Ended) chain.Read(scratch);
  }
  chain.Reader.SkipRest();

  version.clear();
  bool keep = keepTokens;
  if (chain.Reader.Failed) {
    // Bytes cut off by a read error are not a file: the caller has no file to read.
    TokenKind = xmlTokenEof;
    keep = false;
  } else if (chain.Reader.TooLarge) {
    TokenKind = xmlTokenError;
    Content = TooLargeText;
    keep = false;
  } else if (!chain.ErrorText.empty()) {
    TokenKind = xmlTokenError;
    Content = chain.ErrorText;
    version = chain.Version;
    keep = false;
  } else {
    TokenKind = xmlTokenStart;
    version = chain.Version;
  }
  if (!keep) {
    Next = nullptr;
    delete Source;
    Source = nullptr;
  }
}

const std::string& TXMLToken::GetText() const {
  ZASSERT(TokenKind == xmlTokenAttr);
  return Content;
}

const std::string& TXMLToken::GetElement() const {
  ZASSERT(TokenKind == xmlTokenBegin || TokenKind == xmlTokenEnd || TokenKind == xmlTokenEmpty);
  return Content;
}

const std::string& TXMLToken::GetError() const {
  ZASSERT(TokenKind == xmlTokenError);
  return Content;
}
