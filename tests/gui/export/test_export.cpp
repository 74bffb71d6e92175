// File > Export Image: the picture against zenolith-render, the format by extension, orbit
// points, cancelling, memory and write failures, and the size dialog.
#include <QImageReader>
#include <QMenu>
#include <QProcess>
#include <QProgressDialog>

#include <cstring>

#include <sys/stat.h>

#include "document/TStoredFractal.h"
#include "document/TUnitFract.h"
#include "gui/export/TDlgExportImage.h"
#include "gui/support/wavetestsupport.h"
#include "support/filesizelimit.h"

namespace {

// Pixels whose red, green or blue differ; every pixel when the sizes differ.
int DifferentImagePixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return std::max(a.width() * a.height(), b.width() * b.height()) + 1;
  int count = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      count += (a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF);
  return count;
}

// The mean difference of the colour channels, 0 to 255.
double MeanDifference(const QImage& a, const QImage& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y);
      const QRgb q = b.pixel(x, y);
      sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
             std::abs(qBlue(p) - qBlue(q));
    }
  }
  return sum / (3.0 * a.width() * a.height());
}

// A Mandelbrot set over [-2, 2] x [2, -2], where the pixels of a 200-pixel view and of a
// 400-pixel image map to plane points without rounding.
TFractProps SquareMandelbrot() {
  TFractProps p = WithArea(TFractProps(), -2, 2, 2, -2);
  p.XResolution.SetInt(50);
  p.YResolution.SetInt(50);
  p.MaxDepth.SetInt(40);
  p.MapField = TKernelParams::MapC;
  return p;
}

// A colouring with a palette outside and mixes inside.
TVoldViewProps PaletteColours() {
  TVoldViewProps v;
  v.UsePalOutside = true;
  v.PalOutside = TColorPalette1DItem(0x200000, 0x00FFFF);
  v.PalOutside.AddItem(unitFactorPosMoreLess1(0.3), 0x0000FF);
  v.MaxDepthColor = 0x332211;
  return v;
}

}  // namespace

class Export : public ExtrasFixture {
protected:
  /// File > Export Image with the size dialog answered by `width` x `height` (and the orbit
  /// choice) and the save dialog by `path`.
  void RunExport(int width, int height, bool orbits, const std::string& path) {
    Prompter.SaveAnswers = {path};
    auto ran = WhenDialog<TDlgExportImage>([=](TDlgExportImage* dialog) {
      dialog->editWidth->setText(QString::number(width));
      dialog->editHeight->setText(QString::number(height));
      dialog->chkOrbitPoints->setChecked(orbits);
      dialog->OKBtn->click();
    });
    Form->ExportImage->trigger();
    EXPECT_TRUE(*ran);
  }

  /// The picture zenolith-render writes of `params` at the given size.
  QImage Rendered(const TFractProps& params, const TVoldViewProps& colours, int width,
                  int height, const TScratchDir& dir) {
    TFractProps sized = params;
    sized.XResolution.SetInt(width);
    sized.YResolution.SetInt(height);
    const std::string file = dir.File("reference.zlf");
    const std::string picture = dir.File("reference.png");
    EXPECT_TRUE(TUnitFract().SaveAs(file, TStoredFractal(sized, colours)));
    QProcess render;
    render.start(QStringLiteral(ZENOLITH_BINARY_DIR "/src/cli/zenolith-render"),
                 {QString::fromStdString(file), QStringLiteral("-o"),
                  QString::fromStdString(picture), QStringLiteral("--size"),
                  QStringLiteral("%1x%2").arg(width).arg(height)});
    EXPECT_TRUE(render.waitForFinished(120000));
    EXPECT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
    return QImage(QString::fromStdString(picture));
  }
};

TEST_F(Export, ImageAtATypedSizeIsPixelForPixelWhatZenolithRenderDraws) {
  TScratchDir dir("extras_export_png");
  const TFractProps params = SmallMandelbrot();
  const TVoldViewProps colours = PaletteColours();
  TMDIChildWave* child = ComputedWave(params, colours, 0, 0, "E", "/f/e.zlf");
  // Odd sizes, neither a multiple of a band nor of the window's resolution.
  const int width = 173;
  const int height = 97;
  const std::string path = dir.File("export.png");
  RunExport(width, height, false, path);
  EXPECT_EQ(Prompter.OnlyFileDialog(), "Export Image [png] PNG Image (*.png)|*.png|"
                                       "JPEG Image (*.jpg *.jpeg)|*.jpg;*.jpeg exist overwrite");
  EXPECT_TRUE(Prompter.Messages.empty());

  QImageReader reader(QString::fromStdString(path));
  EXPECT_EQ(reader.format(), "png");
  const QImage exported = reader.read();
  ASSERT_EQ(exported.size(), QSize(width, height));
  const QImage reference = Rendered(params, colours, width, height, dir);
  EXPECT_EQ(DifferentImagePixels(exported, reference), 0);
  // The window keeps its own parameters.
  EXPECT_EQ(child->GetParams().XResolution.GetInt(), params.XResolution.GetInt());
  EXPECT_FALSE(child->GetUnitFract()->Modified());
  // Only the picture was written: no temporary file is left beside it.
  EXPECT_EQ(FolderListing(dir.Path()),
            (std::vector<std::string>{"export.png", "reference.png", "reference.zlf"}));
}

TEST_F(Export, JpegExtensionsWriteJpegPictures) {
  TScratchDir dir("extras_export_jpeg");
  AddWave(SmallMandelbrot(), PaletteColours(), "J", "/f/j.zlf");
  const std::string png = dir.File("a.png");
  ASSERT_TRUE(Form->Export->ExportImageFile(png, 120, 80, false));
  const QImage exact(QString::fromStdString(png));
  for (const char* name : {"a.jpg", "b.JPEG"}) {
    SCOPED_TRACE(name);
    const std::string path = dir.File(name);
    ASSERT_TRUE(Form->Export->ExportImageFile(path, 120, 80, false));
    QImageReader reader(QString::fromStdString(path));
    EXPECT_EQ(reader.format(), "jpeg");
    const QImage jpeg = reader.read();
    ASSERT_EQ(jpeg.size(), QSize(120, 80));
    // Lossy, but close to the exact picture.
    EXPECT_LT(MeanDifference(jpeg, exact), 6.0);
  }
  EXPECT_TRUE(Prompter.Messages.empty());
}

TEST_F(Export, OrbitPointsAreDrawnAtTheImagesSizeOnlyWhenAsked) {
  TScratchDir dir("extras_export_orbits");
  TMDIChildWave* child = AddWave(SquareMandelbrot(), {}, "O", "/f/o.zlf");
  TViewWave* view = child->GetView();
  SetViewSize(child, 200, 200);
  child->SetMouseMode(mmDrawPoints);
  // The plane point (-1, 0): pixel (100, 200) of a 400 x 400 image.
  Click(view, QPoint(50, 100));
  ASSERT_EQ(view->GetDrawPoints().Count(), 1);

  const std::string with = dir.File("with.png");
  const std::string without = dir.File("without.png");
  RunExport(400, 400, true, with);
  RunExport(400, 400, false, without);
  const QImage a(QString::fromStdString(with));
  const QImage b(QString::fromStdString(without));
  ASSERT_EQ(a.size(), QSize(400, 400));
  ASSERT_EQ(b.size(), QSize(400, 400));
  const QRgb white = qRgb(255, 255, 255);
  const QRgb black = qRgb(0, 0, 0);
  for (const QPoint at : {QPoint(97, 200), QPoint(103, 200), QPoint(100, 197), QPoint(100, 203)})
    EXPECT_EQ(a.pixel(at), white) << at.x() << "," << at.y();
  EXPECT_EQ(a.pixel(102, 200), black);
  EXPECT_NE(b.pixel(103, 200), white);
  // Away from the marker both pictures are alike.
  int differing = DifferentImagePixels(a, b);
  EXPECT_GT(differing, 0);
  EXPECT_LT(differing, 60);

  // Without orbits the choice is not offered.
  view->RemovePoints();
  TDlgExportImage dialog(Form.get(), 200, 200, !view->GetDrawPoints().Empty());
  EXPECT_FALSE(dialog.chkOrbitPoints->isEnabled());
  EXPECT_FALSE(dialog.chkOrbitPoints->isChecked());
}

TEST_F(Export, CancelStopsTheComputationAtOnceAndWritesNothing) {
  TScratchDir dir("extras_export_cancel");
  AddWave(SlowMandelbrot(), {}, "S", "/f/s.zlf");
  const std::string path = dir.File("slow.png");
  bool cancelled = false;
  auto ran = WhenDialog<QProgressDialog>([&](QProgressDialog* progress) {
    EXPECT_EQ(progress->windowTitle(), "Export Image");
    EXPECT_EQ(progress->maximum(), 1500);
    for (QPushButton* button : progress->findChildren<QPushButton*>()) {
      if (button->text() == "Cancel") {
        button->click();
        cancelled = true;
      }
    }
  });
  // Computing this picture takes minutes; Cancel stops it and nothing is written.
  EXPECT_FALSE(Form->Export->ExportImageFile(path, 1500, 1500, false));
  EXPECT_TRUE(*ran);
  EXPECT_TRUE(cancelled);
  EXPECT_TRUE(Prompter.Messages.empty());
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST_F(Export, SizeTooLargeForMemoryGetsTheMemoryMessage) {
  TScratchDir dir("extras_export_memory");
  AddWave(SmallMandelbrot());
  for (const int side : {2000000000, 1000000}) {  // beyond any machine's memory
    SCOPED_TRACE(side);
    Prompter.Messages.clear();
    EXPECT_FALSE(Form->Export->ExportImageFile(dir.File("huge.png"), side, side, false));
    EXPECT_TRUE(Prompter.ShowedOnly("There is not enough memmory for this operation."));
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST_F(Export, FilesThatCannotBeWrittenAreReportedWithTheSystemsReasonAndKeepWhatWasThere) {
  TScratchDir dir("extras_export_fail");
  AddWave(SmallMandelbrot());
  // A folder where the picture should go cannot be replaced by it.
  std::filesystem::create_directory(dir.File("taken.png"));
  const std::string readOnly = dir.File("read_only.png");
  WriteFileBytes(readOnly, "previous");
  ::chmod(readOnly.c_str(), 0444);
  const std::string previous = dir.File("previous.png");
  WriteFileBytes(previous, "previous");
  // A pipe would wait for a reader for ever.
  const std::string fifo = dir.File("fifo.png");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const struct {
    std::string Path, Reason;
    bool DiskFull;
  } rows[] = {
      {dir.File("missing/a.png"), std::strerror(ENOENT), false},
      {dir.File("taken.png"), std::strerror(EISDIR), false},
      {readOnly, std::strerror(EACCES), false},
      {fifo, "not a regular file", false},
      {dir.File("a.jpg"), "not a regular file", false},
      // Room for the old file, not for the new picture.
      {previous, std::strerror(EFBIG), true},
      {dir.File("a.bmp"), "\"" + dir.File("a.bmp") + "\" is not a .png, .jpg or .jpeg file", false},
      {dir.File("noextension"),
       "\"" + dir.File("noextension") + "\" is not a .png, .jpg or .jpeg file", false},
  };
  // A device under a picture's name.
  std::filesystem::create_symlink("/dev/null", dir.File("a.jpg"));
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Path);
    Prompter.Messages.clear();
    std::unique_ptr<TFileSizeLimit> full;
    if (row.DiskFull) full = std::make_unique<TFileSizeLimit>(64);
    EXPECT_FALSE(Form->Export->ExportImageFile(row.Path, 40, 30, false));
    full.reset();
    EXPECT_TRUE(Prompter.ShowedOnly("Cannot save Image File: " + row.Reason, "FileError"));
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("taken.png")));
  EXPECT_EQ(FileBytes(readOnly), "previous");
  EXPECT_EQ(FileBytes(previous), "previous");
  // Nothing else appeared: no temporary files.
  EXPECT_EQ(FolderListing(dir.Path()),
            (std::vector<std::string>{"a.jpg", "fifo.png", "previous.png", "read_only.png",
                                      "taken.png"}));
}

TEST_F(Export, OnlyAFractalWindowCanBeExported) {
  // Disabled without a window: checked with the other commands.
  AddWave(SmallMandelbrot());
  EXPECT_TRUE(Form->ExportImage->isEnabled());
}

TEST_F(Export, DialogOffersTheWindowSizeAndRefusesABadSize) {
  TDlgExportImage dialog(Form.get(), 210, 130, true);
  EXPECT_EQ(dialog.windowTitle(), "Export Image");
  EXPECT_EQ(dialog.editWidth->text(), "210");
  EXPECT_EQ(dialog.editHeight->text(), "130");
  EXPECT_TRUE(dialog.chkOrbitPoints->isEnabled());
  EXPECT_TRUE(dialog.chkOrbitPoints->isChecked());
  EXPECT_EQ(dialog.chkOrbitPoints->text(), "Include orbit points");
  dialog.editWidth->setText("4000");
  dialog.editHeight->setText("3000");
  dialog.btnWindowSize->click();
  EXPECT_EQ(dialog.editWidth->text(), "210");
  EXPECT_EQ(dialog.editHeight->text(), "130");

  const struct {
    const char* Width;
    const char* Height;
    const char* Field;
  } bad[] = {{"0", "3000", "Width"}, {"4000", "-5", "Height"}, {"abc", "x", "Width"}};
  dialog.show();
  for (const auto& c : bad) {
    SCOPED_TRACE(c.Width);
    Prompter.Messages.clear();
    dialog.editWidth->setText(c.Width);
    dialog.editHeight->setText(c.Height);
    dialog.OKBtn->click();
    EXPECT_TRUE(Prompter.ShowedOnly(std::string("In ") + c.Field + ": ...", "Input Error"));
    EXPECT_TRUE(dialog.isVisible());
  }
  dialog.editWidth->setText("4000");
  dialog.editHeight->setText(" 3000 ");
  dialog.chkOrbitPoints->setChecked(false);
  dialog.OKBtn->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.GetImageWidth(), 4000);
  EXPECT_EQ(dialog.GetImageHeight(), 3000);
  EXPECT_FALSE(dialog.GetIncludeOrbits());
}
