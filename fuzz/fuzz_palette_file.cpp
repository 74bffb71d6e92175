// The palette file: bytes through the tokenizer, the grammar and the palette reader. A refusal
// names its reason and keeps the palette; a palette read is sound and saves to a file that
// reads back the same.
#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>
#include <string>

#include "fuzzsupport.h"
#include "render/TColorPalette1DItem.h"

namespace {

// Colours are 24 bits; a file may give more digits, which GetColor does not pass on.
uint32_t Rgb(uint32_t colour) { return colour & 0xFFFFFF; }

// The invariants GetColor relies on: 0 first, 1 last, positions strictly increasing.
void CheckSound(const TColorPalette1DItem& palette) {
  FUZZ_CHECK(palette.GetDPosition() == 0.0);
  FUZZ_CHECK(!palette.GetUseColorAfter());
  FUZZ_CHECK(palette.GetNext() != nullptr);
  const TColorPalette1DItem* stop = &palette;
  while (stop->GetNext()) {
    const TColorPalette1DItem* next = stop->GetNext();
    FUZZ_CHECK(next->GetDPosition() > stop->GetDPosition());
    // Every stop's own colour is reached exactly at its position.
    FUZZ_CHECK(palette.GetColor(next->GetDPosition()) == Rgb(next->GetColorBefore()));
    const double middle = (stop->GetDPosition() + next->GetDPosition()) / 2;
    (void)palette.GetColor(middle);
    stop = next;
  }
  FUZZ_CHECK(stop->GetDPosition() == 1.0);
  FUZZ_CHECK(palette.GetColor(-1.0) == Rgb(palette.GetColorBefore()));
  FUZZ_CHECK(palette.GetColor(std::numeric_limits<double>::quiet_NaN()) ==
             Rgb(palette.GetColorBefore()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  static TFuzzPresenter presenter;
  TColorPalette1DItem palette(0x102030, 0x405060);
  palette.AddItem(unitFactorPosMoreLess1(0.5, ukPercent), 0x0000FF);
  const std::string before = palette.ToFileText();

  TFuzzStream in(data, size);
  std::string error;
  if (!palette.LoadFromStream(in, error)) {
    FUZZ_CHECK(!error.empty());
    FUZZ_CHECK(palette.ToFileText() == before);
    return 0;
  }
  CheckSound(palette);

  const std::string saved = palette.ToFileText();
  TColorPalette1DItem again(0, 0);
  std::istringstream back(saved);
  FUZZ_CHECK(again.LoadFromStream(back, error));
  FUZZ_CHECK(SameFileText(again.ToFileText(), saved));
  return 0;
}
