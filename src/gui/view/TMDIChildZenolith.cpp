#include "gui/view/TMDIChildZenolith.h"

#include <QCloseEvent>

#include "document/TUnit.h"
#include "gui/common/filenames.h"
#include "gui/common/icons.h"

TMDIChildZenolith::TMDIChildZenolith(QWidget* parent) : QMdiSubWindow(parent) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowIcon(ApplicationIcon());
}

TMDIChildZenolith::~TMDIChildZenolith() {
  if (Document) {
    Document->NameChanged = nullptr;
    Document->FileNameChanged = nullptr;
  }
}

void TMDIChildZenolith::SetDocument(std::unique_ptr<TUnit> unit) {
  if (Document) {
    Document->NameChanged = nullptr;
    Document->FileNameChanged = nullptr;
  }
  Document = std::move(unit);
  if (Document) {
    Document->NameChanged = [this](const std::string& oldName) { NameChanged(oldName); };
    Document->FileNameChanged = [this] { UpdateCaption(); };
  }
  UpdateCaption();
}

void TMDIChildZenolith::NameChanged(const std::string&) { UpdateCaption(); }

int TMDIChildZenolith::GetKind() const { return Document ? Document->GetKind() : 0; }

std::string TMDIChildZenolith::CaptionFor(const std::string& name, const std::string& fileName) {
  if (fileName.empty()) return name;
  if (name.empty()) return fileName;
  return name + " - " + fileName;
}

void TMDIChildZenolith::UpdateCaption() {
  const std::string caption =
      Document ? CaptionFor(Document->GetName(), Document->GetFileName()) : std::string();
  setWindowTitle(DisplayFileName(caption));
  emit StateChanged(this);
}

std::array<std::string, TMDIChildZenolith::StatusTextCount> TMDIChildZenolith::StatusTexts()
    const {
  return {};
}

void TMDIChildZenolith::CloseWithoutQuery() {
  SkipQuery = true;
  close();
  SkipQuery = false;
}

void TMDIChildZenolith::EvFormOnActivate() { emit Activated(this); }

void TMDIChildZenolith::closeEvent(QCloseEvent* event) {
  if (!Closing && !SkipQuery && !CloseQuery()) {
    event->ignore();
    return;
  }
  if (!Closing) {
    Closing = true;
    emit CloseStarted(this);
    EvFormClose();
  }
  QMdiSubWindow::closeEvent(event);
}
