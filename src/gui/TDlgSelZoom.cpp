#include "gui/TDlgSelZoom.h"

#include "gui/helpcontexts.h"

TDlgSelZoom::TDlgSelZoom(QWidget* parent) : TOKHelpRightDlg(parent) {
  setObjectName(QStringLiteral("DlgSelZoom"));
  setWindowTitle(QStringLiteral("Dialog"));
  HelpContext = HelpContext::SelZoom;
}
