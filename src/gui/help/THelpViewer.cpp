#include "gui/help/THelpViewer.h"

#include <map>

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "gui/help/helpcontexts.h"

namespace {

THelpViewer* TheViewer = nullptr;
std::string TheHelpFile;

void DeleteViewer() {
  delete TheViewer;
  TheViewer = nullptr;
}

}  // namespace

// Outside the anonymous namespace: the macro declares the resource's global init function.
static void InitHelpResources() {
  // The topics live in this static library; the call keeps them from being dropped at link.
  Q_INIT_RESOURCE(help);
}

THelpViewer& THelpViewer::Instance() {
  if (!TheViewer) {
    InitHelpResources();
    TheViewer = new THelpViewer();
    // Widgets must go before the application object does.
    qAddPostRoutine(DeleteViewer);
  }
  return *TheViewer;
}

bool THelpViewer::Exists() { return TheViewer != nullptr; }

QString THelpViewer::TopicResource(int context) {
  static const std::map<int, const char*> topics = {
      {HelpContext::MainWindow, "contents.html"},
      {HelpContext::ColorFractal, "colorfractal.html"},
      {HelpContext::Fractal, "fractal.html"},
      {HelpContext::ColorPalette, "colorpalette.html"},
      {HelpContext::Register, "register.html"},
      {HelpContext::SelZoom, "selection.html"},
      {HelpContext::OpenProject, "openproject.html"},
      {HelpContext::NewProject, "newproject.html"},
      {HelpContext::ExportProject, "exportproject.html"},
  };
  const auto it = topics.find(context);
  if (it == topics.end()) return {};
  return QStringLiteral(":/help/") + QString::fromLatin1(it->second);
}

void THelpViewer::SetHelpFile(const std::string& name) { TheHelpFile = name; }

const std::string& THelpViewer::HelpFile() { return TheHelpFile; }

THelpViewer::THelpViewer() : QWidget(nullptr, Qt::Window) {
  setObjectName(QStringLiteral("HelpViewer"));
  setWindowTitle(QStringLiteral("Zenolith Help"));
  // Without an icon of its own the window shows the application's, which the main window sets.
  resize(620, 520);

  auto* btnContents = new QPushButton(QStringLiteral("&Contents"), this);
  btnBack = new QPushButton(QStringLiteral("&Back"), this);
  auto* btnClose = new QPushButton(QStringLiteral("C&lose"), this);
  TextBrowser = new QTextBrowser(this);
  TextBrowser->setOpenLinks(true);
  TextBrowser->setSearchPaths({QStringLiteral(":/help")});

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnContents);
  buttons->addWidget(btnBack);
  buttons->addStretch(1);
  buttons->addWidget(btnClose);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(TextBrowser, 1);

  btnBack->setEnabled(false);
  connect(btnContents, &QPushButton::clicked, this, [this] { Show(HelpContext::MainWindow); });
  connect(btnBack, &QPushButton::clicked, TextBrowser, &QTextBrowser::backward);
  connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
  connect(TextBrowser, &QTextBrowser::backwardAvailable, btnBack, &QPushButton::setEnabled);
  connect(TextBrowser, &QTextBrowser::sourceChanged, this, [this] {
    const QString title = TextBrowser->documentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Zenolith Help")
                                   : QStringLiteral("Zenolith Help - ") + title);
  });
}

void THelpViewer::Show(int context) {
  Context = context;
  const QString resource = TopicResource(context);
  if (resource.isEmpty()) {
    TextBrowser->setHtml(QStringLiteral(
        "<html><head><title>No topic</title></head><body><h2>No help topic</h2>"
        "<p>There is no help topic for context %1.</p>"
        "<p>See the <a href=\"contents.html\">contents</a>.</p></body></html>")
                             .arg(context));
    setWindowTitle(QStringLiteral("Zenolith Help - No topic"));
    return;
  }
  TextBrowser->setSource(QUrl(QStringLiteral("qrc") + resource));
}

void THelpViewer::ShowTopic(int context) {
  THelpViewer& viewer = Instance();
  // A window opened while a modal dialog runs gets no input unless it is modal itself.
  QWidget* modal = QApplication::activeModalWidget();
  const Qt::WindowModality wanted = modal == &viewer ? viewer.windowModality()
                                    : modal           ? Qt::ApplicationModal
                                                      : Qt::NonModal;
  if (viewer.windowModality() != wanted) {
    viewer.hide();
    viewer.setWindowModality(wanted);
  }
  viewer.Show(context);
  viewer.show();
  viewer.raise();
  viewer.activateWindow();
}
