#include "gui/dialogs/TDlgSelZoom.h"

#include "gui/help/helpcontexts.h"

TDlgSelZoom::TDlgSelZoom(QWidget* parent) : TOKHelpRightDlg(parent) {
  setObjectName(QStringLiteral("DlgSelZoom"));
  setWindowTitle(QStringLiteral("Dialog"));
  HelpContext = HelpContext::SelZoom;
}
