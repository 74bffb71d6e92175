// Tool-bar images, the window icon and the custom cursors.
#include <QBitmap>
#include <QImage>

#include <gtest/gtest.h>

#include "gui/common/cursors.h"
#include "gui/common/icons.h"

namespace {

struct TInk {
  int Opaque = 0;
  int Transparent = 0;
};

TInk Ink(const QImage& image) {
  TInk ink;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      (qAlpha(image.pixel(x, y)) > 128 ? ink.Opaque : ink.Transparent)++;
  }
  return ink;
}

}  // namespace

TEST(ToolBarImages, EveryIndexInUseHasItsOwnPicture) {
  const std::vector<int> used = {0,  1,  2,  7,  8,   9,   10,  11,  12,  13,
                                 14, 15, 16, 17, 129, 130, 131, 132, 134, 135};
  EXPECT_EQ(ToolBarImageIndices(), used);
  std::vector<QImage> images;
  for (int index : used) {
    const QPixmap pm = ToolBarImage(index);
    ASSERT_FALSE(pm.isNull()) << index;
    EXPECT_EQ(pm.size(), QSize(ToolBarImageSize, ToolBarImageSize)) << index;
    const QImage image = pm.toImage().convertToFormat(QImage::Format_ARGB32);
    const TInk ink = Ink(image);
    EXPECT_GT(ink.Opaque, 40) << index;
    images.push_back(image);
  }
  for (size_t i = 0; i < images.size(); ++i) {
    for (size_t j = i + 1; j < images.size(); ++j)
      EXPECT_NE(images[i], images[j]) << used[i] << " and " << used[j];
  }
}

TEST(WindowIcon, IsASmallMandelbrotSet) {
  const QImage icon = IconImage(0).toImage().convertToFormat(QImage::Format_ARGB32);
  ASSERT_EQ(icon.size(), QSize(IconImageSize, IconImageSize));
  EXPECT_EQ(Ink(icon).Transparent, 0);
  // The main cardioid (inside, black) covers c = -0.1 (column 24 of 32); far left escapes.
  EXPECT_EQ(icon.pixelColor(24, 16), QColor(0, 0, 0));
  EXPECT_NE(icon.pixelColor(2, 16), QColor(0, 0, 0));
  // Symmetric about the real axis.
  for (int x = 1; x < IconImageSize - 1; ++x)
    EXPECT_EQ(icon.pixel(x, 8), icon.pixel(x, IconImageSize - 1 - 8)) << x;
  EXPECT_TRUE(IconImage(1).isNull());
  EXPECT_FALSE(ApplicationIcon().isNull());
}

TEST(Cursors, SixDistinctCursorsWithHotSpotsInside) {
  const char* names[] = {"DRAW", "DELETE", "REJECT", "ZOOMIN", "ZOOMOUT", "MAND2JUL"};
  std::vector<QImage> images;
  for (int id = CURSOR_DRAW; id <= CURSOR_MAND2JUL; ++id) {
    SCOPED_TRACE(id);
    EXPECT_STREQ(CursorResourceName(id), names[id - 1]);
    const QCursor cursor = CursorById(id);
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
    const QImage image = cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(CursorImageSize, CursorImageSize));
    EXPECT_GT(Ink(image).Opaque, 30);
    EXPECT_TRUE(image.rect().contains(cursor.hotSpot()));
    images.push_back(image);
  }
  for (size_t i = 0; i < images.size(); ++i)
    for (size_t j = i + 1; j < images.size(); ++j) EXPECT_NE(images[i], images[j]);
  // The pencil draws at its tip.
  EXPECT_EQ(CursorById(CURSOR_DRAW).hotSpot(), QPoint(2, 29));
  EXPECT_EQ(CursorById(CURSOR_ZOOMIN).hotSpot(), CursorById(CURSOR_ZOOMOUT).hotSpot());
}

