#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "core/linearmap.h"
#include "document/TStoredFractal.h"
#include "document/TUnitFract.h"
#include "document/fractalfile.h"
#include "engine/deep/deepbounds.h"
#include "engine/deep/deepzoom.h"
#include "support/TRecordingPresenter.h"
#include "support/files.h"
#include "support/testdata.h"
#include "support/xmltext.h"
#include "support/formulaids.h"

namespace {

// A fractal unlike the defaults: percent values, MapD, a palette with an inner stop.
TStoredFractal Unusual() {
  TStoredFractal f;
  std::string error;
  EXPECT_TRUE(f.View.StrengthOutside.SetText("40 %", "Strength", error));
  f.View.SensInside = SensVeryHigh;
  f.View.UsePalDepthBackgroundInside = true;
  f.View.PalDepthBackgroundInside.AddItem(unitFactorPosMoreLess1(0.3, ukPercent), 0x00AA00);
  f.View.CursorColor = 0x123456;
  EXPECT_TRUE(f.Params.Left.SetText("-250 %", "Left", error));
  f.Params.Right.SetDouble(0.0625);
  f.Params.MapField = TKernelParams::MapD;
  f.Params.Formula = formula::ZNDZM;
  f.Params.N.SetInt(3);
  f.Params.M.SetInt(4);
  return f;
}

class FractalFile : public ::testing::Test {
protected:
  // Loads `bytes` through a document into a window holding Unusual(); returns the outcome.
  bool LoadBytes(const std::string& bytes, std::string& errorText) {
    const std::string path = Dir.File("load.zlf");
    WriteFileBytes(path, bytes);
    return TUnitFract("", path).Load(Window, errorText);
  }

  TScratchDir Dir{"fractalfile"};
  TRecordingPresenter Presenter;
  TStoredFractal Window = Unusual();
  const std::string Default = FileBytes(TestData("zlf/default.zlf"));
};

}  // namespace

TEST_F(FractalFile, DefaultFractalIsWrittenByteForByte) {
  const std::string path = Dir.File("new.zlf");
  ASSERT_TRUE(TUnitFract().SaveAs(path, TStoredFractal()));
  EXPECT_EQ(FileBytes(path), Default);
  EXPECT_TRUE(Presenter.Messages.empty());
}

TEST_F(FractalFile, DefaultFileReadsBackAsTheDefaults) {
  std::string error;
  ASSERT_TRUE(ReadFractalFile(TestData("zlf/default.zlf"), Window, error)) << error;
  EXPECT_EQ(StoredText(Window), StoredText(TStoredFractal()));
}

TEST_F(FractalFile, HandWrittenFileWithBareLineFeedsIsReadInFull) {
  TStoredFractal f;
  f.Params.ColorMode = TKernelParams::ColorDiscontinue;
  std::string error;
  const std::string lf = FileBytes(TestData("zlf/palettes_lf.zlf"));
  ASSERT_TRUE(ReadFractalFile(TestData("zlf/palettes_lf.zlf"), f, error)) << error;
  EXPECT_TRUE(f.View.UsePalOutside);
  EXPECT_EQ(f.View.PalOutside.GetColor(0.25), 0x0000FFu);
  EXPECT_EQ(f.View.PalOutside.GetNext()->GetColorAfter(), 0xFF0000u);
  EXPECT_EQ(f.View.StrengthOutside.GetDouble(), 0.5);
  EXPECT_EQ(f.Params.Formula, 8);
  EXPECT_EQ(f.Params.MapField, TKernelParams::MapD);
  EXPECT_EQ(f.Params.ColorMode, TKernelParams::ColorDiscontinue);  // not in the file

  // Written again it is the same file with CR LF line ends: every field was taken.
  const std::string path = Dir.File("again.zlf");
  ASSERT_TRUE(TUnitFract().SaveAs(path, f));
  EXPECT_EQ(FileBytes(path), WithCrLf(lf));
}

TEST_F(FractalFile, SavedFractalReadsBackTheSameRecords) {
  const std::string path = Dir.File("unusual.zlf");
  const TStoredFractal written = Unusual();
  ASSERT_TRUE(TUnitFract().SaveAs(path, written));
  TStoredFractal read;
  std::string error;
  ASSERT_TRUE(ReadFractalFile(path, read, error)) << error;
  EXPECT_EQ(StoredText(read), StoredText(written));
  EXPECT_EQ(read.Params.Left.GetText(), "-250 %");
  EXPECT_EQ(read.View.StrengthOutside.GetText(), "40 %");
  EXPECT_EQ(read.Params.MapField, TKernelParams::MapD);
  EXPECT_TRUE(read.View.UsePalDepthBackgroundInside);
}

// The text between <name> and </name> in a file.
std::string ElementText(const std::string& file, const std::string& name) {
  const size_t begin = file.find("<" + name + ">") + name.size() + 2;
  return file.substr(begin, file.find("</" + name + ">") - begin);
}

TEST_F(FractalFile, TheDeepestZoomIsSavedSoThatItOpensAsTheSameArea) {
  // Zooms in at a point by a fifth of the view at a time, as the view does, until the numbers
  // cannot tell the bounds apart any more.
  for (const auto& [x, y] : {std::pair{0.3, -0.5}, {-1.7497591451303665, 0.0}, {1e-7, 2e-9}}) {
    SCOPED_TRACE(x);
    TStoredFractal zoomed;
    TFractProps& p = zoomed.Params;
    int zooms = 0;
    for (;;) {
      const long double l = p.Left.GetDouble(), r = p.Right.GetDouble();
      const long double t = p.Top.GetDouble(), b = p.Bottom.GetDouble();
      const long double cx = 250 * (x - l) / (r - l), cy = 250 * (y - t) / (b - t);
      const double left = static_cast<double>(LinearMap(cx - 25, 0, 250, l, r));
      const double right = static_cast<double>(LinearMap(cx + 25, 0, 250, l, r));
      const double top = static_cast<double>(LinearMap(cy - 25, 0, 250, t, b));
      const double bottom = static_cast<double>(LinearMap(cy + 25, 0, 250, t, b));
      if (left == right || top == bottom) break;
      p.Left.SetDouble(left);
      p.Right.SetDouble(right);
      p.Top.SetDouble(top);
      p.Bottom.SetDouble(bottom);
      ++zooms;
    }
    ASSERT_GT(zooms, 15);
    const std::string path = Dir.File("deep.zlf");
    ASSERT_TRUE(TUnitFract().SaveAs(path, zoomed));
    TStoredFractal read;
    std::string error;
    ASSERT_TRUE(ReadFractalFile(path, read, error)) << error;
    const double pixelWidth = (p.Right.GetDouble() - p.Left.GetDouble()) / 250;
    const double pixelHeight = (p.Top.GetDouble() - p.Bottom.GetDouble()) / 250;
    ASSERT_GT(pixelWidth, 0);
    ASSERT_GT(pixelHeight, 0);
    EXPECT_LT(std::fabs(read.Params.Left.GetDouble() - p.Left.GetDouble()), pixelWidth / 2);
    EXPECT_LT(std::fabs(read.Params.Right.GetDouble() - p.Right.GetDouble()), pixelWidth / 2);
    EXPECT_LT(std::fabs(read.Params.Top.GetDouble() - p.Top.GetDouble()), pixelHeight / 2);
    EXPECT_LT(std::fabs(read.Params.Bottom.GetDouble() - p.Bottom.GetDouble()), pixelHeight / 2);
    // The same area is the same file again.
    ASSERT_TRUE(TUnitFract().SaveAs(Dir.File("again.zlf"), read));
    EXPECT_EQ(FileBytes(Dir.File("again.zlf")), FileBytes(path));
  }
}

TEST_F(FractalFile, BoundsThatFifteenDigitsHoldKeepTheirText) {
  // A zoom to some 1e-9 across, just above the deep views: fifteen digits move a bound by far
  // less than half a pixel.
  TStoredFractal f;
  f.Params.Left.SetDouble(-0.7436438870371587);
  f.Params.Right.SetDouble(-0.7436438860371587);
  f.Params.Top.SetDouble(0.1318259042550000);
  f.Params.Bottom.SetDouble(0.1318259032550000);
  // Left and Right equal: a bound that moves at all is written in full.
  TStoredFractal flat;
  flat.Params.Left.SetDouble(0.30000000000000004);
  flat.Params.Right.SetDouble(0.30000000000000004);
  const struct {
    TStoredFractal Fractal;
    std::vector<std::string> Texts;  // Left, Right, Top, Bottom
  } rows[] = {
      {f, {"-0.743643887037158", "-0.743643886037158", "0.131825904255", "0.131825903255"}},
      {flat, {"0.30000000000000004", "0.30000000000000004", "1.5", "-1.5"}},
      {TStoredFractal(), {"-1.5", "1.5", "1.5", "-1.5"}},
  };
  for (const auto& row : rows) {
    const std::string path = Dir.File("text.zlf");
    ASSERT_TRUE(TUnitFract().SaveAs(path, row.Fractal));
    const std::string bytes = FileBytes(path);
    const std::vector<std::string> texts = {ElementText(bytes, "Left"),
                                            ElementText(bytes, "Right"), ElementText(bytes, "Top"),
                                            ElementText(bytes, "Bottom")};
    EXPECT_EQ(texts, row.Texts);
  }
}

TEST_F(FractalFile, DeepViewsStoreTheirBoundsInFullAndOpenAsTheSameArea) {
  // z^2 + c, and exp(z) - z - 1 + c with the pixel as z, which deep zoom computes on its
  // general path.
  for (const auto& [formula, map] : {std::pair{formula::Z2, TKernelParams::MapC},
                                     std::pair{formula::Exp, TKernelParams::MapZ}})
  for (int exponent : {50, 250}) {
    SCOPED_TRACE(std::to_string(formula) + ", " + std::to_string(exponent));
    TStoredFractal deep;
    TFractProps& p = deep.Params;
    p.Formula = static_cast<uint8_t>(formula);
    p.MapField = static_cast<uint8_t>(map);
    TDeepParams d = p.DeepParams();
    std::string error;
    const std::string width = "0." + std::string(static_cast<size_t>(exponent - 1), '0') + "3";
    ASSERT_TRUE(SetDeepViewAround(d, "-1.74995768370609350360221450607069970727110579726252",
                                  "0.00000000000000000000000000000000000000000000000000000001",
                                  width, error));
    ASSERT_TRUE(p.SetDeepArea(d.Left, d.Top, d.Right, d.Bottom, error)) << error;
    ASSERT_TRUE(p.UsesDeepKernel());
    const std::string path = Dir.File("deep.zlf");
    ASSERT_TRUE(TUnitFract().SaveAs(path, deep));
    const std::string bytes = FileBytes(path);
    EXPECT_EQ(ElementText(bytes, "Left"), RoundedDeepBounds(p.DeepParams())[0]);
    EXPECT_GT(ElementText(bytes, "Left").size(), static_cast<size_t>(exponent));

    TStoredFractal read;
    ASSERT_TRUE(ReadFractalFile(path, read, error)) << error;
    ASSERT_TRUE(read.Params.UsesDeepKernel());
    const TDeepParams back = read.Params.DeepParams();
    const std::string* texts[4] = {&back.Left, &back.Top, &back.Right, &back.Bottom};
    for (int i = 0; i < 4; ++i)
      EXPECT_TRUE(BoundTextPlacesBound(p.DeepParams(), i, *texts[i])) << i;
    // The same area is the same file again.
    ASSERT_TRUE(TUnitFract().SaveAs(Dir.File("again.zlf"), read));
    EXPECT_EQ(FileBytes(Dir.File("again.zlf")), bytes);
  }
}

TEST_F(FractalFile, BoundsOfThousandsOfDigitsAreReadLongerOnesAreOutOfRange) {
  const std::string digits(MaxDecimalDigits - 2, '3');
  const struct {
    std::string Left;
    const char* Message;  // empty: read
  } rows[] = {
      {"-1.4" + digits, ""},
      {"-1.3" + digits + "33", "In Left: Value is out of range. At line 48, column 10."},
      {"-" + std::string(MaxDecimalDigits + 1, '0') + "1.5",
       "In Left: Value is out of range. At line 48, column 10."},
  };
  std::string error;
  for (const auto& row : rows) {
    const bool read = LoadBytes(ReplaceFirst(Default, "<Left>-1.5", "<Left>" + row.Left), error);
    EXPECT_EQ(read, std::string(row.Message).empty()) << error;
    EXPECT_EQ(error, row.Message);
    if (read) {
      EXPECT_NEAR(Window.Params.Left.GetDouble(), -1.43333333333333, 1e-14);
      EXPECT_EQ(Window.Params.DeepParams().Left, row.Left);
    }
  }
  EXPECT_TRUE(Presenter.Messages.empty());

  // Bounds of the longest length two units of their last digit apart: rounding them for a
  // thousandth of a pixel would pass the limit, so they are written as they are.
  const std::string zeros(static_cast<size_t>(MaxDecimalDigits - 3), '0');
  TStoredFractal deep;
  deep.Params.MapField = TKernelParams::MapC;
  ASSERT_TRUE(deep.Params.SetDeepArea("1." + zeros + "1", "1." + zeros + "3",
                                      "1." + zeros + "3", "1." + zeros + "1", error));
  ASSERT_TRUE(deep.Params.UsesDeepKernel());
  std::string bytes;
  ASSERT_TRUE(FractalFileText(deep, bytes, error)) << error;
  EXPECT_EQ(ElementText(bytes, "Right"), "1." + zeros + "3");
  ASSERT_TRUE(LoadBytes(bytes, error)) << error;
  EXPECT_EQ(Window.Params.DeepParams().Top, "1." + zeros + "3");
}

TEST_F(FractalFile, ReaderMessagesNameTheElementAndItsPosition) {
  // Positions are those of the begin tag's '>' in the default file; the broken files of
  // tests/data/bad give the other messages.
  const struct {
    std::string From, To, Message;
  } rows[] = {
      {"<Formula>z^2+c", "<Formula>z^2 + c", "Unknown Formula: 'z^2 + c' At line 56, column 13."},
      {"<OuterCircle>1000", "<OuterCircle>1",
       "In OuterCircle: Value must be more than 1. At line 53, column 17."},
      {"<CR>-0.122561", "<CR>inf", "In CR: Input has no value. At line 60, column 8."},
      {"<N>5", "<N>nan", "In N: Value must be positive and more than 0. At line 64, column 7."},
      {"<Strength>2.5", "<Strength>0",
       "In Strength: Value must be positive and more than 0. At line 10, column 16."},
      {"<CursorColor>FF00FF", "<CursorColor>XYZ",
       "In CursorColor: Invalid Hexdecimal value: \"XYZ\". At line 43, column 17."},
      {"<BeginColor>000000</BeginColor>\r\n        <EndColor>FF8000",
       "<BeginColor>000000</BeginColor>\r\n"
       "        <ColorPalette1DItem>\r\n"
       "          <Position>150 %</Position>\r\n"
       "          <ColorBefore>000000</ColorBefore>\r\n"
       "          <ColorAfter>000000</ColorAfter>\r\n"
       "        </ColorPalette1DItem>\r\n"
       "        <EndColor>FF8000",
       "In Position: Value must be less than 1. At line 14, column 20."},
      // Messages of the tokenizer and the grammar already carry their position.
      {"<View />", "<View #/>", "unexpected '#' found in line 6, column 9."},
      {"  <View />\r\n", "",
       "unexpected begin of element \"FractalView\", expect begin of element \"View\", at line 6, "
       "column 15."},
      {"    <MapZ />\r\n", "    <MapX />\r\n",
       "unexpected empty element \"MapX\", expect begin of element \"MapD\", at line 57, "
       "column 12."},
  };
  const std::string before = StoredText(Window);
  for (const auto& row : rows) {
    std::string error;
    EXPECT_FALSE(LoadBytes(ReplaceFirst(Default, row.From, row.To), error)) << row.To;
    EXPECT_EQ(error, row.Message);
    // A failed read leaves the window as it was.
    EXPECT_EQ(StoredText(Window), before) << row.To;
  }
  EXPECT_TRUE(Presenter.Messages.empty());
}

TEST_F(FractalFile, LoadFileKeepsTheRecordsOnFailure) {
  const std::string path = Dir.File("bad.zlf");
  WriteFileBytes(path, ReplaceFirst(Default, "<M>3</M>", "<M>0</M>"));
  const std::string before = StoredText(Window);
  std::string error;
  EXPECT_FALSE(ReadFractalFile(path, Window, error));
  EXPECT_EQ(error, "In M: Value must be positive and more than 0. At line 65, column 7.");
  EXPECT_EQ(StoredText(Window), before);

  error = "stale";
  EXPECT_FALSE(ReadFractalFile(Dir.File("missing.zlf"), Window, error));
  EXPECT_EQ(error, "");
  EXPECT_TRUE(Presenter.Messages.empty());
}
