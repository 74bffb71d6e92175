// Hostile input through the dialogs of a running program: edge parameters typed into the
// fractal properties of a real window, and a megabyte pasted into every edit of every dialog.
// Each gives a clear message or a normal picture, never a crash or a frozen window.
#include <type_traits>

#include <QClipboard>
#include <QListWidget>

#include "core/TErrorReport.h"
#include "gui/dialogs/TDlgColorPalette1D.h"
#include "gui/dialogs/TDlgFractal.h"
#include "gui/dialogs/TDlgRegisterWave.h"
#include "gui/dialogs/TDlgVoldViewProps.h"
#include "gui/export/TDlgExportImage.h"
#include "gui/support/wavetestsupport.h"

namespace {

const QString Megabyte(1 << 20, QLatin1Char('9'));

// Pastes `text` over the whole contents of `edit`, as a user with a full clipboard would.
void PasteOver(QLineEdit* edit, const QString& text) {
  QApplication::clipboard()->setText(text);
  edit->selectAll();
  edit->paste();
}

// Runs `command`; `onDialog` acts on the modal dialog it opens.
template <class TDialog = TOKDialog>
void WithDialog(QAction* command,
                const std::type_identity_t<std::function<void(TDialog*)>>& onDialog) {
  auto ran = WhenDialog<TDialog>(onDialog);
  command->trigger();
  EXPECT_TRUE(*ran);
}

}  // namespace

class HostileDialogs : public WaveFixture {
protected:
  // A window with a finished small picture.
  TMDIChildWave* PictureWindow() {
    return ComputedWave(SmallMandelbrot(40, 30), {}, 0, 0, "", "/f/hostile.zlf");
  }
};

TEST_F(HostileDialogs, EdgeParametersGiveAMessageOrANormalPicture) {
  using TEdit = QLineEdit* TDlgFractal::*;
  const std::string memory = TErrorReport::NotEnoughMemoryText;
  const struct {
    const char* Case;
    std::vector<std::pair<TEdit, QString>> Texts;
    int Formula;
    std::string Message;  // "" = the dialog closes and the window shows a normal picture;
                          // a text ending in "..." gives its start
  } rows[] = {
      {"resolution 1 x 1",
       {{&TDlgFractal::editHorizontal, "1"}, {&TDlgFractal::editVertical, "1"}}, -1, ""},
      // The largest resolution is taken; no machine has the 70 TB it needs.
      {"resolution 2147483647 x 4096",
       {{&TDlgFractal::editHorizontal, "2147483647"}, {&TDlgFractal::editVertical, "4096"}}, -1,
       memory + "\nWindow \"/f/hostile.zlf\" keeps its picture: results of 2147483647 x 4096 "
                "points need ..."},
      {"Left equal to Right",
       {{&TDlgFractal::editSelLeft, "-0.75"}, {&TDlgFractal::editSelRight, "-0.75"}}, -1, ""},
      // Numbers are typed in full; an exponent reads as a unit the field does not have.
      {"OuterCircle 1e308", {{&TDlgFractal::editOuterCircle, "1" + QString(308, u'0')}}, -1, ""},
      {"InnerDist 1e-300", {{&TDlgFractal::editInnerDist, "0." + QString(299, u'0') + "1"}}, -1,
       ""},
      {"OuterCircle typed as 1e308", {{&TDlgFractal::editOuterCircle, "1e308"}}, -1,
       "In Outer Circle: This unit does not exist, use: '%' or no unit."},
      {"N and M 2147483647",
       {{&TDlgFractal::editN, "2147483647"}, {&TDlgFractal::editM, "2147483647"}}, 5, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Case);
    TMDIChildWave* child = PictureWindow();
    const TFractArray* picture = child->GetView()->GetFractArray();
    const TPixelBuffer surface = child->GetView()->GetSurface();
    Prompter.Messages.clear();
    bool closed = false;
    WithDialog<TDlgFractal>(Form->FractProps, [&](TDlgFractal* dialog) {
      if (row.Formula >= 0) dialog->lstFormulas->setCurrentRow(row.Formula);
      for (const auto& [edit, text] : row.Texts) (dialog->*edit)->setText(text);
      dialog->OKBtn->click();
      closed = !dialog->isVisible();
      if (!closed) dialog->CancelBtn->click();
    });
    // A refusal of memory is told once the command is done.
    QApplication::processEvents();
    TViewWave* view = child->GetView();
    if (row.Message.empty()) {
      EXPECT_TRUE(closed);
      EXPECT_TRUE(Prompter.Messages.empty());
      ASSERT_TRUE(WaitForPicture(view));
      EXPECT_EQ(DifferentFromEngine(child), 0);
    } else {
      EXPECT_TRUE(Prompter.ShowedOnly(
          row.Message, row.Message.rfind(memory, 0) == 0 ? "System Error" : ""));
      // A refused array keeps the picture shown; nothing computes.
      EXPECT_EQ(view->GetFractArray(), picture);
      EXPECT_EQ(DifferentPixels(view->GetSurface(), surface), 0);
      EXPECT_FALSE(view->Computing());
    }
    child->CloseWithoutQuery();
    QApplication::processEvents();
  }
}

TEST_F(HostileDialogs, MegabyteInEveryEditIsRefusedOrTaken) {
  // Fractal properties and colouring, one edit flooded at a time on a fresh window: a refusal
  // names its field and keeps the dialog; a number taken gives a normal picture.
  for (QAction* command : {Form->FractProps, Form->ViewVold}) {
    int edits = 0;
    for (int i = 0; i == 0 || i < edits; ++i) {
      TMDIChildWave* child = PictureWindow();
      const std::string before = Xml(child->GetParams()) + Xml(child->GetViewProps());
      Prompter.Messages.clear();
      std::string field;
      bool closed = false;
      WithDialog(command, [&](TOKDialog* dialog) {
        const QList<QLineEdit*> list = dialog->findChildren<QLineEdit*>();
        edits = static_cast<int>(list.size());
        field = list[i]->objectName().toStdString();
        PasteOver(list[i], Megabyte);
        dialog->OKBtn->click();
        closed = !dialog->isVisible();
        if (!closed) dialog->CancelBtn->click();
      });
      SCOPED_TRACE(field);
      if (closed) {
        EXPECT_TRUE(Prompter.Messages.empty());
        ASSERT_TRUE(WaitForPicture(child->GetView()));
        EXPECT_EQ(DifferentFromEngine(child), 0);
      } else {
        EXPECT_TRUE(Prompter.ShowedOnly("In ...", "Input Error"));
        EXPECT_EQ(Xml(child->GetParams()) + Xml(child->GetViewProps()), before);
      }
      child->CloseWithoutQuery();
      QApplication::processEvents();
    }
    EXPECT_GE(edits, 2);
  }

  // Export size: refused, the dialog stays.
  PictureWindow();
  Prompter.Messages.clear();
  WithDialog<TDlgExportImage>(Form->ExportImage, [&](TDlgExportImage* dialog) {
    PasteOver(dialog->editWidth, Megabyte);
    PasteOver(dialog->editHeight, Megabyte);
    dialog->OKBtn->click();
    EXPECT_TRUE(dialog->isVisible());
    dialog->CancelBtn->click();
  });
  EXPECT_TRUE(Prompter.ShowedOnly("In Width: ..."));
  EXPECT_TRUE(Prompter.FileDialogs.empty());

  // Palette editor position: refused, the stop keeps its place.
  TColorPalette1DItem palette(0x000000, 0xFFFFFF);
  palette.AddItem(unitFactorPosMoreLess1(0.5), 0x0000FF);
  TDlgColorPalette1D editor(Form.get(), palette);
  editor.show();
  editor.btnPalItemNextClick();
  Prompter.Messages.clear();
  PasteOver(editor.editPosition, Megabyte);
  editor.OKBtn->click();
  EXPECT_TRUE(editor.isVisible());
  EXPECT_TRUE(Prompter.ShowedOnly("In Position: ..."));
  EXPECT_EQ(editor.Current()->GetDPosition(), 0.5);
  editor.CancelBtn->click();

  // Names: the register dialog and the name field take the same length, so both show the
  // whole name the window then has.
  TUnitFract* unit = Form->Workspace->ActiveWaveWindow()->GetUnitFract();
  Prompter.Messages.clear();
  WithDialog<TDlgRegisterWave>(Form->Register, [&](TDlgRegisterWave* dialog) {
    PasteOver(dialog->EditName, Megabyte);
    dialog->OKBtn->click();
  });
  const std::string registered = unit->GetName();
  EXPECT_FALSE(registered.empty());
  EXPECT_EQ(Form->EditName->text().size(), static_cast<qsizetype>(registered.size()));
  EXPECT_TRUE(Form->EditName->text().toStdString() == registered);
  PasteOver(Form->EditName, QString(1 << 20, QLatin1Char('n')));
  Form->CommitEditName();
  EXPECT_EQ(unit->GetName().size(), registered.size());
  EXPECT_TRUE(unit->GetName() == std::string(registered.size(), 'n'));
  EXPECT_TRUE(Prompter.Messages.empty());
}
