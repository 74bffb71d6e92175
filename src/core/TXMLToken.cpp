#include "core/TXMLToken.h"

#include <deque>
#include <istream>

#include "core/assertions.h"

struct TXMLToken::TChain {
  // A deque keeps the tokens in place and frees them without one call per token.
  std::deque<TXMLToken> Tokens;
};

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

// Reads bytes as a text-mode stream would on the original platform: CR LF is one line feed,
// a lone CR is an ordinary byte. Keeps the running line and column.
class TCharReader {
public:
  explicit TCharReader(const std::string& bytes)
      : Pos(bytes.data()), End(bytes.data() + bytes.size()) {}

  int Get() {
    if (Pos == End) return EndOfFile;
    int c = static_cast<unsigned char>(*Pos++);
    if (c == '\r' && Pos != End && *Pos == '\n') {
      ++Pos;
      c = '\n';
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
  // Only a '<' is ever put back, a single byte.
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

  int Line = 1;
  int Column = 1;

private:
  const char* Pos;
  const char* const End;
};

std::string Trimmed(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return text.substr(begin, end - begin);
}

enum class TReadOutcome { Read, Failed, TooLarge };

// The whole stream, read in blocks, up to MaxFileBytes.
TReadOutcome ReadAll(std::istream& in, std::string& bytes) {
  char block[65536];
  while (in.read(block, sizeof block) || in.gcount() > 0) {
    bytes.append(block, static_cast<size_t>(in.gcount()));
    if (bytes.size() > TXMLToken::MaxFileBytes) return TReadOutcome::TooLarge;
    if (!in) break;
  }
  return in.bad() ? TReadOutcome::Failed : TReadOutcome::Read;
}

char Spaced(int c) {
  return c == '\t' || c == '\n' || c == '\r' ? ' ' : static_cast<char>(c);
}

}  // namespace

TXMLToken::TXMLToken(TKey) {}

TXMLToken::~TXMLToken() = default;

TXMLToken::TXMLToken(std::istream& in, std::string& version) {
  version.clear();
  Content = "Unknown Error";
  std::string bytes;
  const TReadOutcome outcome = ReadAll(in, bytes);
  // Bytes cut off by a read error are not a file: the caller has no file to read.
  if (outcome == TReadOutcome::Failed) {
    TokenKind = xmlTokenEof;
    return;
  }
  if (outcome == TReadOutcome::TooLarge) {
    RefuseAsTooLarge();
    return;
  }
  Tokenize(bytes, version);
}

void TXMLToken::RefuseAsTooLarge() {
  TokenKind = xmlTokenError;
  Content = TooLargeText;
}

void TXMLToken::Tokenize(const std::string& bytes, std::string& version) {
  TokenKind = xmlTokenStart;
  auto chain = std::make_unique<TChain>();
  TCharReader reader(bytes);
  reader.SkipLine();
  reader.SkipLine();
  reader.StartCounting();

  TXMLToken* previous = nullptr;
  for (;;) {
    TXMLToken& token = chain->Tokens.emplace_back(TKey{});
    TState state = TState::Start;
    std::string text;
    bool done = false;
    int c = EndOfFile;
    auto emit = [&](TXMLTokenKind kind) {
      token.TokenKind = kind;
      token.Line = reader.Line;
      token.Column = reader.Column - 1;
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
      c = reader.Get();
      const TClass cls = Classify(c);
      switch (state) {
        case TState::Start:
          if (cls == TClass::White) break;
          if (cls == TClass::Letter || cls == TClass::Digit || cls == TClass::Other ||
              cls == TClass::Slash) {
            text += Spaced(c);
            reader.TakeText(text);
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
            reader.PutBack();
          } else if (cls == TClass::Close || cls == TClass::End) {
            fail();
          } else {
            text += Spaced(c);
            reader.TakeText(text);
          }
          break;
        case TState::Open:
          if (cls == TClass::White) break;
          if (cls == TClass::Letter || cls == TClass::Digit) {
            token.Content += static_cast<char>(c);
            reader.TakeName(token.Content);
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
            reader.TakeName(token.Content);
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

    if (previous && previous->TokenKind == xmlTokenBegin && previous->Content == "Version" &&
        token.TokenKind == xmlTokenAttr)
      version = token.Content;
    if (previous) previous->Next = &token;
    previous = &token;

    if (token.TokenKind == xmlTokenError) {
      Content = token.Content;
      TokenKind = xmlTokenError;
      return;  // the chain is dropped with `chain`
    }
    if (token.TokenKind == xmlTokenEof) break;
  }
  Next = &chain->Tokens.front();
  Chain = std::move(chain);
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
