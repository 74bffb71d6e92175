// The project file: bytes through the tokenizer, the grammar and the project walk, with a host
// that opens no window. A refusal names its reason; a project read places every window within
// the stored ranges, opens saved copies only inside the project's folder of copies, and
// written again reads back to the same text.
#include <sstream>
#include <string>
#include <vector>

#include "core/TXMLItem.h"
#include "core/xmlread.h"
#include "document/TProjectRecord.h"
#include "document/projectfile.h"
#include "fuzzsupport.h"
#include "support/TProjectWalker.h"

namespace {

const char* const ProjectPath = "/fuzz/p.kvp";
const std::string CopyPrefix = "/fuzz/pTempSaveFiles/savedProjectWindowFile";

void CheckPlace(const TProjectGeometry& g) {
  FUZZ_CHECK(g.Left >= MinProjectWindowPos && g.Left <= MaxProjectWindowPos);
  FUZZ_CHECK(g.Top >= MinProjectWindowPos && g.Top <= MaxProjectWindowPos);
  FUZZ_CHECK(g.Width >= 0 && g.Width <= MaxProjectWindowSize);
  FUZZ_CHECK(g.Height >= 0 && g.Height <= MaxProjectWindowSize);
}

bool IsCopyPath(const std::string& path) {
  if (path.compare(0, CopyPrefix.size(), CopyPrefix) != 0) return false;
  const std::string rest = path.substr(CopyPrefix.size());
  const size_t dot = rest.find(".wav");
  if (dot == 0 || dot == std::string::npos || dot + 4 != rest.size()) return false;
  for (size_t i = 0; i < dot; ++i)
    if (rest[i] < '0' || rest[i] > '9') return false;
  return true;
}

// What each "Wave" window of a matched tree must open, in order: its copy when it names one
// ("" stands for any copy path), else its own file; windows that open nothing are left out.
std::vector<std::string> ExpectedOpens(const unsigned char* data, size_t size) {
  TFuzzStream in(data, size);
  const TXMLReadResult read = ReadXMLStream(in, ProjectGrammar());
  std::vector<std::string> opens;
  if (read.Outcome != TXMLReadOutcome::Read) return opens;
  const TXMLItem* item = read.Root->GetFirst()->GetFirst();
  for (; item; item = item->GetNext()) {
    if (item->GetElement() != "Window") continue;
    const TXMLItem* document = item->GetFirst();
    if (document->GetElement() != "Wave") continue;
    std::string file;
    bool copy = false;
    for (const TXMLItem* e = document->GetFirst(); e; e = e->GetNext()) {
      if (e->GetElement() == "File") file = e->GetText();
      if (e->GetElement() == "TempFile") copy = true;
    }
    if (copy) {
      opens.push_back("");
    } else if (!file.empty()) {
      opens.push_back(file);
    }
  }
  return opens;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  static TFuzzPresenter presenter;
  TFuzzStream in(data, size);
  TProjectWalker walker;
  std::string error;
  const TProjectReadOutcome outcome = ReadProjectStream(in, ProjectPath, walker, error);
  // A stream has opened: it reads or it fails with its reason.
  FUZZ_CHECK(outcome != TProjectReadOutcome::NotOpened);
  // Read as values, without opening anything, it gives the same verdict and message.
  TFuzzStream again(data, size);
  TProjectRecord record;
  std::string recordError;
  FUZZ_CHECK(ReadProjectRecord(again, record, recordError) ==
             (outcome == TProjectReadOutcome::Read));
  FUZZ_CHECK(recordError == error);
  if (outcome == TProjectReadOutcome::Failed) {
    FUZZ_CHECK(!error.empty());
    return 0;
  }
  // What was read is written, and reads back to the same text.
  std::string text;
  FUZZ_CHECK(ProjectFileText(record, text, error));
  std::istringstream back(text);
  TProjectRecord reread;
  FUZZ_CHECK(ReadProjectRecord(back, reread, error));
  std::string textAgain;
  FUZZ_CHECK(ProjectFileText(reread, textAgain, error) && textAgain == text);

  FUZZ_CHECK(walker.NoNameCounter >= 0 && walker.NoNameCounter <= MaxProjectNoNameCounter);
  CheckPlace(walker.Frame);
  const std::vector<std::string> expected = ExpectedOpens(data, size);
  FUZZ_CHECK(walker.Windows.size() == expected.size());
  for (size_t i = 0; i < walker.Windows.size(); ++i) {
    const TProjectWalker::TWindow& window = walker.Windows[i];
    CheckPlace(window.Place);
    if (expected[i].empty()) {
      FUZZ_CHECK(IsCopyPath(window.OpenedPath));
    } else {
      FUZZ_CHECK(window.OpenedPath == expected[i]);
    }
    // A name the reader gave is never one an earlier window holds.
    const std::string& name = window.Unit->GetName();
    for (size_t j = 0; j < i && !name.empty(); ++j)
      FUZZ_CHECK(walker.Windows[j].Unit->GetName() != name);
  }
  return 0;
}
