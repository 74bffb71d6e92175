#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "document/TStoredFractal.h"
#include "document/TUnitFract.h"
#include "document/fractalfile.h"
#include "render/TColorPalette1DItem.h"
#include "support/TRecordingPresenter.h"
#include "support/childprocess.h"
#include "support/files.h"
#include "support/testdata.h"
#include "support/xmltext.h"
#include "support/formulaids.h"

// Broken files, each read through the path File > Open takes (the document's Load) or the path
// the palette editor takes, with the one message it must give. Nothing read may change the
// records a window already holds.

namespace {

struct TBadFile {
  const char* Name;
  std::string Message;
};

// A window's records unlike the defaults, so that a partly applied file would show.
TStoredFractal Held() {
  TStoredFractal f;
  f.Params.Formula = formula::ZTimesQuotient;
  f.Params.MaxDepth.SetInt(321);
  f.View.CursorColor = 0x010203;
  f.View.PalOutside.AddItem(unitFactorPosMoreLess1(0.3), 0x00AA00);
  return f;
}

TColorPalette1DItem HeldPalette() {
  TColorPalette1DItem palette(0x111111, 0x222222);
  palette.AddItem(unitFactorPosMoreLess1(0.6, ukPercent), 0x333333);
  return palette;
}

const TBadFile BadFractalFiles[] = {
    {"truncated_text.zlf", "unexpected end-of-file  found in line 48, column 13."},
    {"truncated_element.zlf",
     "unexpected end-of-file, expect begin of element \"XResolution\". at line 46, column 0."},
    {"unknown_formula.zlf", "Unknown Formula: 'z^5+c' At line 56, column 13."},
    {"bad_maxdepth.zlf",
     "In MaxDepth: Value must be positive and more than 0. At line 52, column 14."},
    {"bad_exponent.zlf",
     "In Left: This unit does not exist, use: '%' or no unit. At line 48, column 10."},
    {"bad_colour.zlf",
     "In CursorColor: Invalid Hexdecimal value: \"FF00FG\". At line 43, column 17."},
    {"bad_resolution.zlf",
     "In XResolution: Value must be between -2147483648 and 2147483647. At line 46, column 17."},
    {"bad_innerdist.zlf", "In InnerDist: Value must be less than 1. At line 54, column 15."},
    {"crossed_end_tags.zlf",
     "end of element \"UnitFractal\" does not match begin of element \"Fractal\", at line 66, "
     "column 16."},
    {"children_in_text.zlf",
     "unexpected begin of element \"Value\", expect text, at line 48, column 10."},
    {"attribute.zlf", "unexpected 'k' found in line 45, column 12."},
    {"empty_text.zlf", "unexpected end of element \"Left\", expect text, at line 48, column 10."},
    {"empty.zlf",
     "unexpected end-of-file, expect begin of element \"UnitFractal\", at line 3, column 0."},
    {"palette_file.zlf",
     "unexpected begin of element \"UnitColorPalette1D\", expect begin of element "
     "\"UnitFractal\", at line 4, column 20."},
    {"binary_junk.zlf", "unexpected '>' found in line 3, column 3."},
};

const TBadFile BadPaletteFiles[] = {
    {"truncated.cp1", "unexpected end-of-file  found in line 9, column 18."},
    {"position_above_one.cp1", "In Position: Value must be less than 1. At line 9, column 17."},
    {"position_zero.cp1",
     "In Position: Value must be positive and more than 0. At line 9, column 17."},
    {"unordered_positions.cp1",
     "In Position: Value must be more than the position of the stop before. At line 14, "
     "column 17."},
    {"bad_colour.cp1",
     "In ColorBefore: Invalid Hexdecimal value: \"0000FX\". At line 10, column 20."},
    {"missing_color_after.cp1",
     "unexpected end of element \"ColorPalette1DItem\", expect begin of element \"ColorAfter\". "
     "at line 11, column 25."},
    {"use_color_after_last.cp1",
     "unexpected empty element \"UseColorAfter\", expect end of element \"ColorPalette1DItem\", "
     "at line 12, column 23."},
    {"empty_text.cp1",
     "unexpected end of element \"EndColor\", expect text, at line 13, column 14."},
    {"empty.cp1",
     "unexpected end-of-file, expect begin of element \"UnitColorPalette1D\", at line 3, "
     "column 0."},
    {"fractal_file.cp1",
     "unexpected begin of element \"UnitFractal\", expect begin of element "
     "\"UnitColorPalette1D\", at line 4, column 13."},
    {"binary_junk.cp1", "unexpected '>' found in line 3, column 3."},
};

class BadFiles : public ::testing::Test {
protected:
  TRecordingPresenter Presenter;
  TScratchDir Dir{"badfiles"};
};

}  // namespace

TEST_F(BadFiles, EachBrokenFractalFileGivesItsMessageAndKeepsTheWindow) {
  for (const auto& file : BadFractalFiles) {
    TStoredFractal window = Held();
    std::string error;
    EXPECT_FALSE(ReadFractalFile(TestData(std::string("bad/") + file.Name), window, error))
        << file.Name;
    EXPECT_EQ(error, file.Message) << file.Name;
    EXPECT_EQ(StoredText(window), StoredText(Held())) << file.Name;
  }
  // Reading is silent: the caller shows the one message.
  for (const auto& m : Presenter.Messages) ADD_FAILURE() << m.Text;
}

TEST_F(BadFiles, EachBrokenPaletteFileGivesItsMessageAndKeepsThePalette) {
  for (const auto& file : BadPaletteFiles) {
    TColorPalette1DItem palette = HeldPalette();
    std::string error;
    EXPECT_FALSE(palette.LoadFromFile(TestData(std::string("bad/") + file.Name), error))
        << file.Name;
    EXPECT_EQ(error, file.Message) << file.Name;
    EXPECT_EQ(palette.ToFileText(), HeldPalette().ToFileText()) << file.Name;
  }
  EXPECT_TRUE(Presenter.Messages.empty());
}

TEST_F(BadFiles, StreamAndFileGiveTheSameVerdict) {
  for (const auto& file : BadFractalFiles) {
    std::istringstream in(FileBytes(TestData(std::string("bad/") + file.Name)));
    TStoredFractal window;
    std::string error;
    EXPECT_FALSE(ReadFractalStream(in, window, error)) << file.Name;
    EXPECT_EQ(error, file.Message) << file.Name;
  }
  for (const auto& file : BadPaletteFiles) {
    std::istringstream in(FileBytes(TestData(std::string("bad/") + file.Name)));
    TColorPalette1DItem palette(0, 0);
    std::string error;
    EXPECT_FALSE(palette.LoadFromStream(in, error)) << file.Name;
    EXPECT_EQ(error, file.Message) << file.Name;
  }
}

TEST_F(BadFiles, WrongVersionIsReportedTwiceAndTheFileIsStillRead) {
  // Once for the version the tokenizer found, once for the "Version" element itself.
  TStoredFractal window = Held();
  std::string error;
  ASSERT_TRUE(ReadFractalFile(TestData("bad/wrong_version.zlf"), window, error)) << error;
  EXPECT_EQ(StoredText(window), StoredText(TStoredFractal()));

  TColorPalette1DItem palette = HeldPalette();
  ASSERT_TRUE(palette.LoadFromFile(TestData("bad/wrong_version.cp1"), error)) << error;
  EXPECT_EQ(palette.GetNext()->GetColorBefore(), 0x0000FFu);  // the file's stop at 50 %
  EXPECT_EQ(palette.GetNext()->GetDPosition(), 0.5);

  ASSERT_EQ(Presenter.Messages.size(), 4u);
  for (const auto& m : Presenter.Messages) {
    EXPECT_EQ(m.Title, "Assertion failed");
    EXPECT_NE(m.Text.find("Condition \"version == \"1.0\"\"failed!"), std::string::npos) << m.Text;
  }
}

TEST_F(BadFiles, OnlyRegularFilesAreReadAndAPipeIsNeverWaitedFor) {
  const std::string fifo = Dir.File("fifo.zlf");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const std::string busyFifo = Dir.File("busy.zlf");
  ASSERT_EQ(::mkfifo(busyFifo.c_str(), 0644), 0);
  const std::string link = Dir.File("link.cp1");
  std::filesystem::create_symlink(fifo, link);
  const std::string notRegular = "not a regular file";
  const struct {
    std::string Path, Fractal, Palette;
  } rows[] = {
      {fifo, notRegular, notRegular},
      // A writer that never writes: reading would wait for ever.
      {busyFifo, notRegular, notRegular},
      {link, notRegular, notRegular},
      {Dir.Path().string(), notRegular, notRegular},
      {"/dev/null", notRegular, notRegular},
      {"/dev/zero", notRegular, notRegular},  // endless bytes
      // A file that cannot be opened has no message of its own; the palette's stays.
      {Dir.File("missing.zlf"), "", "kept"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Path);
    const std::string report = RunInChild([&] {
      const int writer = ::open(busyFifo.c_str(), O_RDWR | O_NONBLOCK);
      TStoredFractal window = Held();
      std::string fractalError = "stale";
      const bool fractalRead = ReadFractalFile(row.Path, window, fractalError);
      TColorPalette1DItem palette = HeldPalette();
      std::string paletteError = "kept";
      const bool paletteRead = palette.LoadFromFile(row.Path, paletteError);
      ::close(writer);
      const bool kept = StoredText(window) == StoredText(Held()) &&
                        palette.GetNext()->GetColorBefore() == 0x333333u;
      return fractalError + "|" + paletteError + "|" +
             (fractalRead || paletteRead ? "read" : "refused") + "|" +
             (kept ? "kept" : "changed") + "|" + std::to_string(Presenter.Messages.size());
    });
    EXPECT_EQ(report, row.Fractal + "|" + row.Palette + "|refused|kept|0");
  }
}

TEST_F(BadFiles, HugeFilesAreReadOrRefusedWithTheirMessage) {
  const std::string fractal = FileBytes(TestData("zlf/default.zlf"));

  // Several megabytes of stops in a window's palette: read in full.
  const int stops = 40000;
  std::string items;
  for (int i = 1; i <= stops; ++i)
    items += "        <ColorPalette1DItem>\r\n          <Position>" + std::to_string(i) + "/" +
             std::to_string(stops + 1) +
             "</Position>\r\n          <ColorBefore>00FF00</ColorBefore>\r\n"
             "          <UseColorAfter />\r\n          <ColorAfter>0000FF</ColorAfter>\r\n"
             "        </ColorPalette1DItem>\r\n";
  const std::string manyStops = Dir.File("many_stops.zlf");
  WriteFileBytes(manyStops, ReplaceFirst(fractal, "        <EndColor>FF8000",
                                items + "        <EndColor>FF8000"));
  ASSERT_GT(FileBytes(manyStops).size(), 4u << 20);
  TStoredFractal window;
  std::string error;
  ASSERT_TRUE(ReadFractalFile(manyStops, window, error)) << error;
  int count = 0;
  for (const auto* s = window.View.PalOutside.GetNext(); s->GetNext(); s = s->GetNext()) ++count;
  EXPECT_EQ(count, stops);
  EXPECT_EQ(window.View.PalOutside.GetColor(20000.0 / (stops + 1)), 0x00FF00u);  // at a stop

  // A number of five million digits, and a text that never ends.
  const struct {
    std::string Bytes, Message;
  } refused[] = {
      {ReplaceFirst(fractal, "<Left>-1.5<", "<Left>" + std::string(5000000, '9') + "<"),
       "In Left: Value is out of range. At line 48, column 10."},
      {"line 1\r\nline 2\r\n" + std::string(5000000, 'x'),
       "unexpected end-of-file  found in line 3, column 5000000."},
  };
  for (const auto& row : refused) {
    const std::string path = Dir.File("huge.zlf");
    WriteFileBytes(path, row.Bytes);
    TStoredFractal held = Held();
    EXPECT_FALSE(ReadFractalFile(path, held, error));
    EXPECT_EQ(error, row.Message);
    EXPECT_EQ(StoredText(held), StoredText(Held()));
  }

  // Beyond 64 MB a file is not read at all: its tokens alone could fill the memory.
  const std::string tooLarge = Dir.File("too_large.zlf");
  {
    std::ofstream out(tooLarge, std::ios::binary);
    const std::string block(1 << 20, ' ');
    out << fractal;
    for (int i = 0; i < 64; ++i) out << block;
  }
  const std::string tooLargeMessage = "The file is larger than 64 MB, it cannot be read.";
  TStoredFractal held = Held();
  EXPECT_FALSE(ReadFractalFile(tooLarge, held, error));
  EXPECT_EQ(error, tooLargeMessage);
  EXPECT_EQ(StoredText(held), StoredText(Held()));
  TColorPalette1DItem kept = HeldPalette();
  EXPECT_FALSE(kept.LoadFromFile(tooLarge, error));
  EXPECT_EQ(error, tooLargeMessage);
  std::filesystem::remove(tooLarge);
  EXPECT_TRUE(Presenter.Messages.empty());
}

TEST_F(BadFiles, AFileOfTinyTokensIsRefusedWithinLittleMemory) {
  // 64 MB, some 33 million tokens: kept until the end, as they once were, they took over 2 GB.
  // A quarter of it under AddressSanitizer, which makes every step many times slower.
#if defined(__SANITIZE_ADDRESS__)
  constexpr int Megabytes = 16;
#else
  constexpr int Megabytes = 64;
#endif
  const std::string path = Dir.File("tiny_tokens.zlf");
  {
    std::ofstream out(path, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
           "<!DOCTYPE UnitFractal SYSTEM \"UnitFractal.dtd\">\r\n";
    std::string block;
    for (int i = 0; i < (1 << 18); ++i) block += "x<a>";
    for (int i = 0; i < Megabytes - 1; ++i) out << block;
  }
  const struct {
    const char* Reader;
    std::string Message;
  } rows[] = {
      {"fractal", "unexpected text \"x\", expect begin of element \"UnitFractal\", at line 3, "
                  "column 2."},
      {"palette", "unexpected text \"x\", expect begin of element \"UnitColorPalette1D\", at "
                  "line 3, column 2."},
  };
  // What reading may add to the program's resident memory: the whole program stays within
  // 200 MB, and reading a file should not take half of it.
  constexpr long LimitKB = 100 * 1024;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Reader);
    const std::string report = RunInChild(
        [&] {
          const auto memoryKB = [](const char* field) {
            std::ifstream status("/proc/self/status");
            for (std::string line; std::getline(status, line);)
              if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
            return -1L;
          };
          // The peak from here on, not the forked test's.
          std::ofstream("/proc/self/clear_refs") << "5";
          const long before = memoryKB("VmRSS:");
          std::string error;
          if (std::string(row.Reader) == "fractal") {
            TStoredFractal window;
            ReadFractalFile(path, window, error);
          } else {
            TColorPalette1DItem palette(0, 0);
            palette.LoadFromFile(path, error);
          }
          const long added = memoryKB("VmHWM:") - before;
          return error + "|" +
                 (before > 0 && added < LimitKB ? "small" : std::to_string(added) + " KB");
        },
        300);
    EXPECT_EQ(report, row.Message + "|small");
  }
  std::filesystem::remove(path);
}

TEST_F(BadFiles, ValuesAtTheEdgeOfTheirRangeAreSavedSoThatTheFileOpensAgain) {
  // Fifteen truncated digits once wrote these as 1, 100 % and 0, which the reader refuses.
  TStoredFractal written;
  written.Params.OuterCircle.SetDouble(std::nextafter(1.0, 2.0));
  written.Params.InnerDist = unitFactorPosMoreLess1(std::nextafter(1.0, 0.0), ukPercent);
  written.View.PalOutside.AddItem(unitFactorPosMoreLess1(4.9e-324), 0x00FF00);
  written.View.PalOutside.AddItem(unitFactorPosMoreLess1(std::nextafter(1.0, 0.0), ukPercent),
                                  0x0000FF);
  const std::string path = Dir.File("edges.zlf");
  ASSERT_TRUE(TUnitFract().SaveAs(path, written));
  TStoredFractal read;
  std::string error;
  ASSERT_TRUE(ReadFractalFile(path, read, error)) << error;
  EXPECT_EQ(read.Params.OuterCircle.GetDouble(), std::nextafter(1.0, 2.0));
  EXPECT_LT(read.Params.InnerDist.GetDouble(), 1.0);
  EXPECT_GT(read.View.PalOutside.GetNext()->GetDPosition(), 0.0);
  EXPECT_EQ(StoredText(read), StoredText(written));
}
