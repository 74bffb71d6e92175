// Recent files kept between runs and the settings file they live in, files dropped on the main
// window, and the status panels of a fractal view.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QUrl>

#include <sys/stat.h>

#include "document/TStoredFractal.h"
#include "document/fractalfile.h"
#include "engine/deep/deepbounds.h"
#include "gui/commands/TSettingsFile.h"
#include "gui/common/filekinds.h"
#include "gui/dialogs/TDlgVoldViewProps.h"
#include "gui/support/wavetestsupport.h"
#include "gui/view/viewstatus.h"

namespace {

QStringList MenuTexts(const QMenu* menu) {
  QStringList texts;
  for (const QAction* a : menu->actions()) texts << a->text();
  return texts;
}

}  // namespace

using RecentFiles = ExtrasFixture;

TEST_F(RecentFiles, OpenedAndSavedFilesAreListedNewestFirstAfterARestart) {
  TScratchDir dir("extras_recent");
  const std::string a = CopyFixture(dir, "a.zlf");
  const std::string b = CopyFixture(dir, "b.zlf");
  const std::string c = dir.File("c.zlf");
  EXPECT_TRUE(Form->Recent->Files().empty());
  EXPECT_FALSE(Form->MenuRecentFiles->menuAction()->isEnabled());
  ASSERT_NE(Form->Fractal->OpenFractalFileAndRemember(a), nullptr);
  ASSERT_NE(Form->Fractal->OpenFractalFileAndRemember(b), nullptr);
  Prompter.SaveAnswers = {c};
  Form->FileSaveAs->trigger();
  // Opened again: it moves to the top instead of appearing twice.
  ASSERT_NE(Form->Fractal->OpenFractalFileAndRemember(a), nullptr);
  const std::vector<std::string> expected{a, c, b};
  EXPECT_EQ(Form->Recent->Files(), expected);

  Restart();
  EXPECT_EQ(Form->Recent->Files(), expected);
  EXPECT_TRUE(Form->MenuRecentFiles->menuAction()->isEnabled());
  EXPECT_EQ(MenuTexts(Form->MenuRecentFiles),
            QStringList({QString::fromStdString("&1 " + a), QString::fromStdString("&2 " + c),
                         QString::fromStdString("&3 " + b)}));
  // Kept in the private settings file.
  const QSettings stored(TRecentFiles::SettingsFile, QSettings::IniFormat);
  EXPECT_EQ(stored.value("RecentFiles").toStringList().size(), 3);

  Form->MenuRecentFiles->actions()[1]->trigger();
  ASSERT_TRUE(WaitUntil([this] { return Form->Workspace->ActiveWaveWindow() != nullptr; }, 5000));
  EXPECT_EQ(Form->Workspace->ActiveWaveWindow()->GetUnitFract()->GetFileName(), c);
  EXPECT_EQ(Form->Recent->Files().front(), c);
  EXPECT_TRUE(WaitForPicture(Form->Workspace->ActiveWaveWindow()->GetView()));
}

TEST_F(RecentFiles, KeepsTheTenNewestAndTakesInProjects) {
  for (int i = 1; i <= 12; ++i)
    Form->Recent->AddRecentFile("/fractals/f" + std::to_string(i) + ".zlf");
  ASSERT_EQ(Form->Recent->Files().size(), 10u);
  EXPECT_EQ(Form->Recent->Files().front(), "/fractals/f12.zlf");
  EXPECT_EQ(Form->Recent->Files().back(), "/fractals/f3.zlf");
  EXPECT_EQ(Form->MenuRecentFiles->actions().size(), 10);
  EXPECT_EQ(Form->MenuRecentFiles->actions()[9]->text(), "1&0 /fractals/f3.zlf");

  // A project joins the list once it is written, not when it is only named.
  TScratchDir dir("extras_recent_project_save");
  const std::string project = dir.File("p.kvp");
  Prompter.SaveAnswers = {project};
  Form->ProjectNew->trigger();
  EXPECT_EQ(Form->Recent->Files().front(), "/fractals/f12.zlf");
  AddWave(SmallMandelbrot(), {}, "Fresh");
  Form->ProjectSave->trigger();
  Form->ProjectSave->trigger();
  EXPECT_EQ(Form->Recent->Files()[0], project);
  EXPECT_EQ(Form->Recent->Files()[1], "/fractals/f12.zlf");

  // Opened again, its window comes from a copy in the project's folder: the copy stays out.
  Form->ProjectClose->trigger();
  Form->Recent->OpenRecentFile(project);
  ASSERT_EQ(Form->Workspace->ChildWindows().size(), 1u);
  EXPECT_EQ(Form->Recent->Files()[0], project);
  EXPECT_EQ(Form->Recent->Files()[1], "/fractals/f12.zlf");
  EXPECT_TRUE(Prompter.Messages.empty());
}

TEST_F(RecentFiles, MissingFileIsReportedAndLeavesTheList) {
  TScratchDir dir("extras_recent_missing");
  const std::string kept = CopyFixture(dir, "kept.zlf");
  const std::string gone = dir.File("gone.zlf");
  Form->Recent->AddRecentFile(kept);
  Form->Recent->AddRecentFile(gone);
  Form->Recent->OpenRecentFile(gone);
  EXPECT_TRUE(Prompter.ShowedOnly(
      "Cannot read the file: \"" + gone + "\", the file does not exist.", "File Error"));
  EXPECT_TRUE(Form->Workspace->ChildWindows().empty());
  EXPECT_EQ(Form->Recent->Files(), std::vector<std::string>{kept});
  Restart();
  EXPECT_EQ(Form->Recent->Files(), std::vector<std::string>{kept});
}

// What may stand where the settings file should be: the program starts, says once that it does
// not read it, and leaves it as it is.
TEST_F(RecentFiles, SettingsFileThatIsNoFileOrTooLargeIsLeftAloneAndTheProgramStarts) {
  const std::string path = Settings.File("settings.ini");
  const std::string huge = "[General]\nRecentFiles=/" + std::string(TSettingsFile::MaxBytes, 'x');
  const struct {
    const char* Case;
    std::function<void()> Make;
    std::string Reason;
  } rows[] = {
      // A pipe would hang the start for ever.
      {"pipe", [&] { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }, "not a regular file"},
      {"folder", [&] { std::filesystem::create_directory(path); }, "not a regular file"},
      {"link to a device", [&] { std::filesystem::create_symlink("/dev/zero", path); },
       "not a regular file"},
      // One long value would take gigabytes.
      {"too large", [&] { WriteFileBytes(path, huge); }, "it is larger than 1024 KB"},
  };
  TScratchDir dir("extras_settings_odd");
  const std::string fractal = CopyFixture(dir, "f.zlf");
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Case);
    std::filesystem::remove_all(path);
    row.Make();
    Prompter.Messages.clear();
    Restart();
    EXPECT_TRUE(Prompter.ShowedOnly("The settings file \"" + path + "\" is not read: " +
                                        row.Reason +
                                        ". Recent Files and options are not kept in this run.",
                                    "File Error"));
    EXPECT_TRUE(Form->Recent->Files().empty());
    // The program works; what it would store stays in this run.
    Prompter.Messages.clear();
    ASSERT_NE(Form->Fractal->OpenFractalFileAndRemember(fractal), nullptr);
    Form->Fractal->SetAutoMaxDepth(true);
    EXPECT_EQ(Form->Recent->Files(), std::vector<std::string>{fractal});
    EXPECT_TRUE(Prompter.Messages.empty());
    // Left as it was.
    const std::filesystem::file_type type = std::filesystem::symlink_status(path).type();
    if (std::string(row.Case) == "too large") {
      EXPECT_EQ(FileBytes(path), huge);
    } else if (std::string(row.Case) == "pipe") {
      EXPECT_EQ(type, std::filesystem::file_type::fifo);
    } else if (std::string(row.Case) == "folder") {
      EXPECT_EQ(type, std::filesystem::file_type::directory);
    } else {
      EXPECT_EQ(type, std::filesystem::file_type::symlink);
    }
  }
  std::filesystem::remove_all(path);
}

// The settings file is QSettings' INI file: what either writes, the other reads the same, other
// keys and groups stay, and a name that is not UTF-8 keeps its bytes.
TEST(SettingsFile, ListsReadAndWriteAsQSettingsDoesAndKeepEveryByte) {
  TScratchDir dir("settings-file");
  const std::string path = dir.File("z.conf");
  const std::vector<std::vector<std::string>> lists = {
      {},
      {"/one.zlf"},
      {"/a.zlf", "/b.kvp"},
      {"/x, y.zlf", "/q\"uote.zlf", "/back\\slash", "@at.zlf", " lead", "trail ", "semi;colon",
       "eq=ual", "new\nline", "tab\there", "\x01" "1start", "bell\a", "caf\xC3\xA9 \xE2\x82\xAC"},
      {""},
      {"", ""},
  };
  for (const std::vector<std::string>& list : lists) {
    std::string shown;
    for (const std::string& item : list) shown += "[" + item + "]";
    SCOPED_TRACE(shown);
    QStringList qlist;
    for (const std::string& item : list) qlist << QString::fromStdString(item);
    // Ours written, QSettings reads; other keys it wrote stay.
    std::filesystem::remove(path);
    {
      QSettings theirs(QString::fromStdString(path), QSettings::IniFormat);
      theirs.setValue("Other", 7);
      theirs.setValue("Group/Key", "kept");
    }
    TSettingsFile ours(path);
    std::string problem;
    ASSERT_TRUE(ours.Load(problem)) << problem;
    ours.SetList("RecentFiles", list);
    ASSERT_TRUE(ours.Save(problem)) << problem;
    {
      QSettings theirs(QString::fromStdString(path), QSettings::IniFormat);
      EXPECT_EQ(theirs.value("RecentFiles").toStringList(), qlist);
      EXPECT_EQ(theirs.value("Other").toInt(), 7);
      EXPECT_EQ(theirs.value("Group/Key").toString(), "kept");
    }
    // QSettings written, ours reads.
    std::filesystem::remove(path);
    {
      QSettings theirs(QString::fromStdString(path), QSettings::IniFormat);
      theirs.setValue("RecentFiles", qlist);
    }
    TSettingsFile again(path);
    ASSERT_TRUE(again.Load(problem)) << problem;
    EXPECT_EQ(again.List("RecentFiles"), list);
  }
  // Bytes that are not UTF-8 come back as they were.
  const std::vector<std::string> latin1 = {"/caf\xE9.zlf", "/\xFF\xFE, x"};
  TSettingsFile ours(path);
  std::string problem;
  ASSERT_TRUE(ours.Load(problem));
  ours.SetList("RecentFiles", latin1);
  ours.SetFlag("AutoMaxDepth", true);
  ASSERT_TRUE(ours.Save(problem)) << problem;
  TSettingsFile again(path);
  ASSERT_TRUE(again.Load(problem));
  EXPECT_EQ(again.List("RecentFiles"), latin1);
  EXPECT_TRUE(again.Flag("AutoMaxDepth", false));
  EXPECT_TRUE(QSettings(QString::fromStdString(path), QSettings::IniFormat)
                  .value("AutoMaxDepth")
                  .toBool());
}

class Drops : public ExtrasFixture {
protected:
  /// Drags `paths` over the main window and drops them; true when the drag was accepted.
  bool Drop(const std::vector<std::string>& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const std::string& path : paths) urls << QUrl::fromLocalFile(QString::fromStdString(path));
    mime.setUrls(urls);
    return DropData(mime);
  }

  bool DropData(const QMimeData& mime) {
    QDragEnterEvent enter(QPoint(40, 40), Qt::CopyAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(Form.get(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(40, 40), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form.get(), &drop);
    QApplication::processEvents();
    return drop.isAccepted();
  }
};

TEST_F(Drops, DroppedFileWhoseNameIsNotUtf8Opens) {
  TScratchDir dir("drops-latin1");
  const std::string path = CopyFixture(dir, "caf\xE9.zlf");
  QMimeData mime;
  // A file manager sends the name's bytes, percent-encoded.
  mime.setUrls({QUrl::fromEncoded(QByteArray("file://") +
                                  QByteArray::fromStdString(path).toPercentEncoding("/"))});
  ASSERT_TRUE(DropData(mime));
  EXPECT_TRUE(Prompter.Messages.empty());
  ASSERT_EQ(Form->Workspace->ChildWindows().size(), 1u);
  EXPECT_EQ(Form->Workspace->ActiveWaveWindow()->GetUnitFract()->GetFileName(), path);
  EXPECT_EQ(Form->Recent->Files().front(), path);
}

TEST_F(Drops, DroppedFractalFileOpensAWindow) {
  EXPECT_TRUE(Form->acceptDrops());
  const std::string path = TestData("gui/mandelbrot.zlf");
  ASSERT_TRUE(Drop({path}));
  ASSERT_EQ(Form->Workspace->ChildWindows().size(), 1u);
  EXPECT_EQ(Form->Workspace->ActiveWaveWindow()->GetUnitFract()->GetFileName(), path);
  EXPECT_TRUE(Prompter.Messages.empty());
  EXPECT_TRUE(WaitForPicture(Form->Workspace->ActiveWaveWindow()->GetView()));
}

TEST_F(Drops, DroppedPaletteOpensTheColourDialogAsTheOutsidePalette) {
  const std::string path = TestData("palette/two_stops.cp1");
  TColorPalette1DItem palette(0, 0);
  std::string errorText;
  ASSERT_TRUE(palette.LoadFromFile(path, errorText)) << errorText;
  TMDIChildWave* child = AddWave(SmallMandelbrot(), {}, "P", "/f/p.zlf");
  const std::string before = Xml(child->GetViewProps());

  for (const bool accept : {false, true}) {
    SCOPED_TRACE(accept);
    bool selected = false;
    std::string shown;
    auto ran = WhenDialog<TDlgVoldViewProps>([&](TDlgVoldViewProps* dialog) {
      selected = dialog->optDepthPaletteOutside->isChecked();
      shown = Xml(dialog->WorkPalOutside());
      (accept ? dialog->OKBtn : dialog->CancelBtn)->click();
    });
    ASSERT_TRUE(Drop({path}));
    ASSERT_TRUE(WaitUntil([&ran] { return *ran; }, 5000));
    EXPECT_TRUE(selected);
    EXPECT_EQ(shown, Xml(palette));
    if (!accept) {
      EXPECT_EQ(Xml(child->GetViewProps()), before);
      EXPECT_FALSE(child->GetUnitFract()->Modified());
    }
  }
  EXPECT_TRUE(child->GetViewProps().UsePalOutside);
  EXPECT_EQ(Xml(child->GetViewProps().PalOutside), Xml(palette));
  EXPECT_TRUE(child->GetUnitFract()->Modified());
  // Like any colouring change it can be undone.
  Form->Undo->trigger();
  EXPECT_EQ(Xml(child->GetViewProps()), before);
  EXPECT_TRUE(Prompter.Messages.empty());
}

TEST_F(Drops, FilesThatCannotBeUsedGetAMessageEach) {
  TScratchDir dir("extras_drops_bad");
  const std::string text = dir.File("notes.txt");
  const std::string bare = dir.File("README");
  WriteFileBytes(text, "x");
  WriteFileBytes(bare, "x");
  const std::string palette = TestData("palette/two_stops.cp1");
  const std::string badPalette = TestData("palette/bad_position.cp1");

  // No fractal window for the palette yet.
  ASSERT_TRUE(Drop({text, bare, palette}));
  EXPECT_EQ(Prompter.Texts(),
            (std::vector<std::string>{
                "Invalid extension \"txt\" used.",
                "Cannot read the file: \"" + bare + "\" File has no extension",
                "Cannot use the palette \"" + palette +
                    "\": open a fractal window first, then drop the palette on it."}));
  for (const auto& m : Prompter.Messages) EXPECT_EQ(m.Title, "File Error");
  EXPECT_TRUE(Form->Workspace->ChildWindows().empty());

  // A palette file that does not read.
  AddWave(SmallMandelbrot());
  Prompter.Messages.clear();
  ASSERT_TRUE(Drop({badPalette}));
  EXPECT_TRUE(Prompter.ShowedOnly("Cannot read the file: \"" + badPalette + "\", ..."));

  // Text that is not a file is not taken.
  QMimeData words;
  words.setText("hello");
  EXPECT_FALSE(DropData(words));
}

TEST_F(Drops, DroppedOrRecentProjectsGoToTheProjectOpener) {
  TScratchDir dir("extras_recent_project");
  const std::string project = dir.File("p.kvp");
  WriteFileBytes(project, "x");
  std::vector<std::string> opened;
  Form->Opener.SetOpener(FileKind::Project,
                         [&opened](const std::string& path) { opened.push_back(path); });
  ASSERT_TRUE(Drop({"/somewhere/p.KVP"}));
  Form->Recent->AddRecentFile(project);
  Form->Recent->OpenRecentFile(project);
  EXPECT_EQ(opened, (std::vector<std::string>{"/somewhere/p.KVP", project}));
  EXPECT_TRUE(Prompter.Messages.empty());
}

TEST(ViewStatusTexts, PlanePointsAndDurationsReadAsTheUserExpects) {
  TFractProps p;  // -1.5 .. 1.5 by 1.5 .. -1.5
  const struct {
    int X, Y, Width, Height;
    const char* Text;
  } points[] = {
      {100, 100, 200, 200, "0, 0"},
      {0, 0, 200, 200, "-1.5, 1.5"},
      {50, 150, 200, 200, "-0.75, -0.75"},
      {200, 200, 300, 300, "0.5, -0.5"},
      {1, 2, 3, 3, "-0.5, -0.5"},
      {10, 10, 0, 200, ""},
  };
  for (const auto& c : points)
    EXPECT_EQ(PlanePointText(p, c.X, c.Y, c.Width, c.Height), c.Text) << c.X << "," << c.Y;
  // Six significant digits, cut.
  EXPECT_EQ(PlanePointText(WithArea(p, 0, 1, -0.001, 0.002), 1, 1, 3, 3), "0.333333, 0");
  const TFractProps third = WithArea(p, -1000, 2000, 0.0003, 0.0006);
  EXPECT_EQ(PlanePointText(third, 1, 1, 3, 3), "0, 0.0004");
  EXPECT_EQ(PlanePointText(third, 2, 2, 9, 9), "-333.333, 0.000366666");

  const std::pair<int64_t, const char*> durations[] = {
      {0, "0.00 s"},     {1230, "1.23 s"}, {999, "0.99 s"},
      {61999, "61.99 s"}, {5, "0.00 s"},   {100050, "100.05 s"}};
  for (const auto& [ms, text] : durations) EXPECT_EQ(DurationText(ms), text) << ms;
}

class Status : public ExtrasFixture {
protected:
  QStringList PanelTexts(int first, int last) const {
    QStringList texts;
    for (int i = first; i <= last; ++i) texts << Form->StatusPanel(i)->text();
    return texts;
  }
};

TEST_F(Status, MousePointProgressAndTimeShowInTheirPanels) {
  TMDIChildWave* child = AddWave(SlowMandelbrot(), {}, "S", "/f/s.zlf");
  TViewWave* view = child->GetView();
  SetViewSize(child, 200, 160);
  // -2.2 .. 0.8 by 1.2 .. -1.2: pixel (100, 40) is (-0.7, 0.6).
  QTest::mouseMove(view, QPoint(100, 40));
  EXPECT_EQ(Form->StatusPanel(1)->text(), "-0.7, 0.6");
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(view, &leave);
  EXPECT_EQ(Form->StatusPanel(1)->text(), "");

  // Before any computation there is neither progress nor time.
  EXPECT_EQ(PanelTexts(2, 3), QStringList({"", ""}));
  child->StartComputation();
  const QRegularExpression percent(QStringLiteral("^\\d{1,3}%$"));
  const QRegularExpression seconds(QStringLiteral("^\\d+\\.\\d\\d s$"));
  // The view's progress keeps the panels, without a command.
  ASSERT_TRUE(WaitUntil([&] { return percent.match(Form->StatusPanel(2)->text()).hasMatch(); },
                        5000));
  EXPECT_TRUE(seconds.match(Form->StatusPanel(3)->text()).hasMatch())
      << Form->StatusPanel(3)->text().toStdString();
  view->StopComputation();
  EXPECT_EQ(PanelTexts(2, 3), QStringList({"", ""}));

  // A finished computation shows the time it took.
  TFractProps quick = SmallMandelbrot();
  child->SetParams(quick);
  child->StartComputation();
  ASSERT_TRUE(WaitForPicture(view));
  EXPECT_EQ(Form->StatusPanel(2)->text(), "");
  EXPECT_TRUE(seconds.match(Form->StatusPanel(3)->text()).hasMatch())
      << Form->StatusPanel(3)->text().toStdString();
  EXPECT_EQ(view->ProgressPercent(), -1);
  EXPECT_EQ(PanelTexts(4, 5), QStringList({"", ""}));
}

TEST_F(Status, ADeepViewsPointGivesWayToItsWidth) {
  const std::string example = std::string(ZENOLITH_TEST_DATA) + "/../../examples/";
  for (const char* file : {"deep-misiurewicz-1e-50.zlf", "deep-misiurewicz-1e-250.zlf"}) {
    SCOPED_TRACE(file);
    ASSERT_NE(Form->Fractal->OpenFractalFile(example + file), nullptr);
    TMDIChildWave* child = Form->Workspace->ActiveWaveWindow();
    TViewWave* view = child->GetView();
    SetViewSize(child, 320, 240);
    // A move from elsewhere: the cursor may already stand where an earlier view had it.
    QTest::mouseMove(view, QPoint(50, 50));
    QTest::mouseMove(view, QPoint(100, 40));
    const TFractProps params = child->GetParams();
    ASSERT_TRUE(params.UsesDeepKernel());
    const std::string full = PlanePointText(params, 100, 40, 320, 240);
    const std::string width = " (" + DeepWidthText(params.DeepParams()) + ")";
    ASSERT_EQ(full.substr(PlanePointWidthStart(full)), width);
    QLabel* panel = Form->StatusPanel(TMainForm::PointPanel);
    const QString shown = panel->text();
    EXPECT_EQ(panel->toolTip().toStdString(), full);
    // The width in full at the end, the point cut in its middle, all of it within the panel.
    EXPECT_TRUE(shown.endsWith(QString::fromStdString(width))) << shown.toStdString();
    const QString point = shown.left(shown.size() - static_cast<qsizetype>(width.size()));
    ASSERT_TRUE(point.contains(QChar(0x2026))) << shown.toStdString();
    const QString head = point.section(QChar(0x2026), 0, 0);
    const QString tail = point.section(QChar(0x2026), 1);
    EXPECT_FALSE(head.isEmpty());
    EXPECT_TRUE(QString::fromStdString(full).startsWith(head));
    const std::string fullPoint = full.substr(0, PlanePointWidthStart(full));
    EXPECT_TRUE(QString::fromStdString(fullPoint).endsWith(tail));
    EXPECT_LE(panel->fontMetrics().horizontalAdvance(shown) + panel->indent(),
              panel->contentsRect().width());
    ASSERT_TRUE(WaitForPicture(view));
    child->CloseWithoutQuery();
  }
  // A shallow view's point fits as it is.
  TMDIChildWave* child = ComputedWave(SmallMandelbrot(), {}, 200, 160);
  QTest::mouseMove(child->GetView(), QPoint(50, 50));
  QTest::mouseMove(child->GetView(), QPoint(100, 40));
  EXPECT_EQ(Form->StatusPanel(TMainForm::PointPanel)->text(), "-0.7, 0.6");
  EXPECT_EQ(Form->StatusPanel(TMainForm::PointPanel)->toolTip(), "-0.7, 0.6");
  EXPECT_EQ(PlanePointWidthStart("-0.7, 0.6"), std::string::npos);
}

TEST(Examples, EveryGalleryFileReadsAndHasItsPicture) {
  const std::filesystem::path examples =
      std::filesystem::path(ZENOLITH_TEST_DATA).parent_path().parent_path() / "examples";
  int fractals = 0;
  int palettes = 0;
  for (const auto& entry : std::filesystem::directory_iterator(examples)) {
    if (entry.path().extension() != ".zlf") continue;
    SCOPED_TRACE(entry.path().string());
    ++fractals;
    TStoredFractal fractal;
    std::string errorText;
    ASSERT_TRUE(ReadFractalFile(entry.path().string(), fractal, errorText)) << errorText;
    const QImage picture(QString::fromStdString(
        (examples / "images" / entry.path().stem()).string() + ".png"));
    EXPECT_EQ(picture.size(), QSize(fractal.Params.XResolution.GetInt(),
                                    fractal.Params.YResolution.GetInt()));
  }
  for (const auto& entry : std::filesystem::directory_iterator(examples / "palettes")) {
    SCOPED_TRACE(entry.path().string());
    ++palettes;
    TColorPalette1DItem palette(0, 0);
    std::string errorText;
    EXPECT_TRUE(palette.LoadFromFile(entry.path().string(), errorText)) << errorText;
  }
  EXPECT_GE(fractals, 5);
  EXPECT_GE(palettes, 2);
}
