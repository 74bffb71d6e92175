// The colour combo box: named colours, the custom entry and the scripted colour picker.
#include <QImage>
#include <QSignalSpy>

#include "gui/dialogs/TColorBox.h"
#include "gui/support/guitest.h"

namespace {

// The colour in the middle of an entry's swatch, as 0x00BBGGRR.
uint32_t SwatchColor(const TColorBox& box, int index) {
  const QImage image = box.itemIcon(index).pixmap(14, 14).toImage();
  return TColorBox::FromQColor(image.pixelColor(7, 7));
}

}  // namespace

TEST(ColorBox, ListsTheNamedColoursWithTheirSwatchesThenCustom) {
  struct TCase {
    int Index;
    const char* Name;
    uint32_t Color;
  };
  // Red sits in the low byte.
  const TCase cases[] = {{1, "Maroon", 0x000080}, {4, "Navy", 0x800000},
                         {9, "Red", 0x0000FF},    {12, "Blue", 0xFF0000},
                         {16, "Money Green", 0xC0DCC0}, {17, "Sky Blue", 0xF0CAA6},
                         {18, "Cream", 0xF0FBFF}, {19, "Medium Gray", 0xA4A0A0}};
  TColorBox box;
  ASSERT_EQ(box.count(), 21);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(box.itemText(c.Index), c.Name);
    EXPECT_EQ(SwatchColor(box, c.Index), c.Color);
    box.SetSelected(c.Color);
    EXPECT_EQ(box.currentIndex(), c.Index);
    EXPECT_EQ(box.GetSelected(), c.Color);
  }
  EXPECT_EQ(box.itemText(20), "Custom...");
  EXPECT_EQ(box.CustomIndex(), -1);
}

TEST(ColorBox, PickingANamedColourReportsIt) {
  TScriptedPrompter prompter;
  TColorBox box;
  box.SetSelected(0x000000);
  QSignalSpy changed(&box, &TColorBox::Changed);
  box.setCurrentIndex(box.findText("Red"));
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed.at(0).at(0).value<uint32_t>(), 0x0000FFu);
  EXPECT_EQ(box.GetSelected(), 0x0000FFu);
  // Setting a colour from the program is no choice of the user.
  box.SetSelected(0xFF0000);
  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(box.currentText(), "Blue");
}

TEST(ColorBox, CustomAsksThePickerAndShowsTheColour) {
  TScriptedPrompter prompter;
  TColorBox box;
  box.SetSelected(0x008000);
  QSignalSpy changed(&box, &TColorBox::Changed);

  // Cancelled: the previous choice stays, nothing is reported.
  box.setCurrentIndex(box.PickerIndex());
  EXPECT_EQ(box.currentText(), "Green");
  EXPECT_EQ(box.GetSelected(), 0x008000u);
  EXPECT_EQ(changed.count(), 0);

  // A colour outside the list becomes the custom entry: swatch and #RRGGBB.
  prompter.ColorAnswers.push_back(0x123456u);
  box.setCurrentIndex(box.PickerIndex());
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed.at(0).at(0).value<uint32_t>(), 0x123456u);
  EXPECT_EQ(box.GetSelected(), 0x123456u);
  ASSERT_GE(box.CustomIndex(), 0);
  EXPECT_EQ(box.currentIndex(), box.CustomIndex());
  EXPECT_EQ(box.currentText(), "#563412");
  EXPECT_EQ(SwatchColor(box, box.CustomIndex()), 0x123456u);
  EXPECT_EQ(box.itemText(box.PickerIndex()), "Custom...");

  // A picked colour that has a name selects the named entry.
  prompter.ColorAnswers.push_back(0x00FFFFu);
  box.setCurrentIndex(box.PickerIndex());
  EXPECT_EQ(changed.count(), 2);
  EXPECT_EQ(box.currentText(), "Yellow");

  // Choosing the custom entry again gives its colour back.
  box.SetSelected(0xABCDEF);
  box.setCurrentIndex(box.findText("Red"));
  box.setCurrentIndex(box.CustomIndex());
  EXPECT_EQ(box.GetSelected(), 0xABCDEFu);
  EXPECT_EQ(changed.last().at(0).value<uint32_t>(), 0xABCDEFu);
}
