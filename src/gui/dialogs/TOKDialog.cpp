#include "gui/dialogs/TOKDialog.h"

#include <QFrame>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include "gui/help/THelpViewer.h"

TOKDialog::TOKDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Dialog"));
  setSizeGripEnabled(false);
  Bevel1 = new QFrame(this);
  Bevel1->setObjectName(QStringLiteral("Bevel1"));
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  OKBtn = new QPushButton(QStringLiteral("OK"), this);
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  connect(OKBtn, &QPushButton::clicked, this, [this] {
    OKBtnClick();
    done(QDialog::Accepted);
  });
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(help, &QShortcut::activated, this, [this] { FormHelp(); });
}

void TOKDialog::FormHelp() {
  if (HelpContext != 0) THelpViewer::ShowTopic(HelpContext);
}

void TOKDialog::done(int result) {
  if (!CanClose(result)) return;
  QDialog::done(result);
}

bool TOKDialog::CanClose(int) {
  if (!CloseRefused) return true;
  CloseRefused = false;
  return false;
}

void TOKDialog::SetClientSize(int width, int height) { setFixedSize(width, height); }

void TOKDialog::showEvent(QShowEvent* event) {
  if (QScreen* s = screen()) {
    const QRect area = s->geometry();
    move(area.x() + (area.width() - frameGeometry().width()) / 2,
         area.y() + (area.height() - frameGeometry().height()) / 2);
  }
  QDialog::showEvent(event);
}
