// The help window and its topics.
#include <QFile>
#include <QRegularExpression>
#include <QTextBrowser>

#include <QAction>

#include "engine/TFormula.h"
#include "gui/dialogs/TOKHelpBottomDlg.h"
#include "gui/help/THelpViewer.h"
#include "gui/help/helpcontexts.h"
#include "gui/shell/TMainForm.h"
#include "gui/support/guitest.h"

namespace {

struct TTopic {
  int Context;
  const char* Title;
  const char* Mentions;  // a phrase the topic must explain
};

const TTopic Topics[] = {
    {HelpContext::MainWindow, "Zenolith", "Create Julia from Mandelbrot"},
    {HelpContext::ColorFractal, "Color Fractal", "Sensitivity"},
    {HelpContext::Fractal, "Fractal", "Max Cycle to Detect"},
    {HelpContext::ColorPalette, "Color Palette", "Color After"},
    {HelpContext::Register, "Register", "already has"},
    {HelpContext::SelZoom, "Selection", "not used"},
    {HelpContext::OpenProject, "Open Project", ".kvp"},
    {HelpContext::NewProject, "New Project", "TempSaveFiles"},
    {HelpContext::ExportProject, "Export Project", "copies"},
};

QString ReadText(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

// The page is written by hand; this keeps its list of formulas and what each uses in step with
// the formula table.
TEST(HelpPages, FractalPageListsEveryFormulaWithWhatItUsesAndHowItZoomsDeep) {
  const QString page = ReadText(QStringLiteral(":/help/fractal.html"));
  ASSERT_FALSE(page.isEmpty());
  EXPECT_TRUE(page.contains(QStringLiteral("holds the %1 formulas").arg(FormulaCount)));
  const qsizetype start = page.indexOf(QStringLiteral("<h2>Formula</h2>"));
  ASSERT_GE(start, 0);
  const qsizetype end = page.indexOf(QStringLiteral("</table>"), start);
  ASSERT_GT(end, start);
  const QRegularExpression row(
      QStringLiteral("<tr><td>(.*?)</td><td>(.*?)</td><td>(.*?)</td></tr>"));
  std::vector<int> listed(FormulaCount, 0);
  for (auto match = row.globalMatch(page.mid(start, end - start)); match.hasNext();) {
    const QRegularExpressionMatch cells = match.next();
    const QStringList uses = cells.captured(2).split(QStringLiteral(", "));
    for (const QString& text : cells.captured(1).split(QStringLiteral(", "))) {
      SCOPED_TRACE(text.toStdString());
      int found = -1;
      for (int i = 0; i < FormulaCount; ++i)
        if (text == QString::fromLatin1(Formulas[static_cast<size_t>(i)].DisplayText)) found = i;
      ASSERT_GE(found, 0) << "not a formula of the table";
      ++listed[static_cast<size_t>(found)];
      const TFormula& f = Formulas[static_cast<size_t>(found)];
      EXPECT_EQ(uses.contains(QStringLiteral("D")), f.UsesD);
      EXPECT_EQ(uses.contains(QStringLiteral("N")), f.UsesN);
      EXPECT_EQ(uses.contains(QStringLiteral("M")), f.UsesM);
      EXPECT_EQ(cells.captured(3).toStdString(), f.DeepZoom ? f.DeepZoom : "");
    }
  }
  EXPECT_EQ(listed, std::vector<int>(FormulaCount, 1));
}

TEST(HelpViewer, ShowsTheTopicOfEachContext) {
  for (const TTopic& t : Topics) {
    SCOPED_TRACE(t.Title);
    THelpViewer::ShowTopic(t.Context);
    THelpViewer& viewer = THelpViewer::Instance();
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_EQ(viewer.CurrentContext(), t.Context);
    EXPECT_EQ(viewer.Browser()->documentTitle().toStdString(), t.Title);
    EXPECT_EQ(viewer.windowTitle().toStdString(), std::string("Zenolith Help - ") + t.Title);
    EXPECT_TRUE(viewer.Browser()->toPlainText().contains(QString::fromUtf8(t.Mentions)));
  }
  THelpViewer::Instance().close();
}

TEST(HelpViewer, IsOneWindowReusedAndAnUnknownContextSaysSo) {
  THelpViewer::ShowTopic(HelpContext::Register);
  THelpViewer* first = &THelpViewer::Instance();
  THelpViewer::ShowTopic(HelpContext::Fractal);
  EXPECT_EQ(&THelpViewer::Instance(), first);
  EXPECT_EQ(first->CurrentContext(), HelpContext::Fractal);
  THelpViewer::ShowTopic(999);
  const QString text = first->Browser()->toPlainText();
  EXPECT_TRUE(text.contains("no help topic for context 999")) << text.toStdString();
  first->close();
}

TEST(HelpViewer, EveryLinkOfEveryTopicLeadsToATopic) {
  const QRegularExpression href(QStringLiteral("href=\"([^\"]+)\""));
  for (const TTopic& t : Topics) {
    const QString resource = THelpViewer::TopicResource(t.Context);
    QFile file(resource);
    const QString page = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : "";
    ASSERT_FALSE(page.isEmpty()) << resource.toStdString();
    for (auto it = href.globalMatch(page); it.hasNext();) {
      const QString target = it.next().captured(1);
      EXPECT_TRUE(QFile::exists(QStringLiteral(":/help/") + target))
          << resource.toStdString() << " links to " << target.toStdString();
    }
  }
}

TEST(HelpViewer, OverAModalDialogItTakesInputItself) {
  TOKHelpBottomDlg dialog;
  dialog.HelpContext = HelpContext::Register;
  Qt::WindowModality during = Qt::NonModal;
  bool helpIsActiveModal = false;
  WhenModal([&](QWidget*) {
    dialog.HelpBtn->click();
    THelpViewer& viewer = THelpViewer::Instance();
    during = viewer.windowModality();
    helpIsActiveModal = QApplication::activeModalWidget() == &viewer;
    viewer.close();
    dialog.reject();
  });
  dialog.exec();
  EXPECT_EQ(during, Qt::ApplicationModal);
  EXPECT_TRUE(helpIsActiveModal);
  // Without a modal dialog it is an ordinary window again.
  THelpViewer::ShowTopic(HelpContext::MainWindow);
  EXPECT_EQ(THelpViewer::Instance().windowModality(), Qt::NonModal);
  THelpViewer::Instance().close();
}

TEST(HelpViewer, TheContentsAndTheReadmeListEveryKey) {
  const QString page = ReadText(THelpViewer::TopicResource(HelpContext::MainWindow));
  const QString readme = ReadText(QStringLiteral(ZENOLITH_TEST_DATA "/../../README.md"));
  ASSERT_FALSE(page.isEmpty());
  ASSERT_FALSE(readme.isEmpty());
  TMainForm form;
  int keys = 0;
  for (const QAction* a : form.ActionList1()) {
    for (const QKeySequence& k : a->shortcuts()) {
      // As the menus show it.
      const QString key = k.toString(QKeySequence::PortableText);
      EXPECT_TRUE(page.contains("<td class=\"key\">" + key + "</td>"))
          << a->objectName().toStdString() << " " << key.toStdString();
      EXPECT_TRUE(readme.contains("| " + key + " |"))
          << a->objectName().toStdString() << " " << key.toStdString();
      ++keys;
    }
  }
  EXPECT_GT(keys, 25);
}
