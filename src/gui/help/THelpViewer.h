#pragma once
#include <string>

#include <QWidget>

class QTextBrowser;
class QPushButton;

/// The help window: one instance, reused, showing the topic of a help context. The topics are
/// HTML pages built into the program as Qt resources (":/help/...").
class THelpViewer : public QWidget {
  Q_OBJECT
public:
  /// The single help window, created on first use (hidden until a topic is shown).
  static THelpViewer& Instance();
  /// True once the window exists (tests and shutdown use it).
  static bool Exists();
  /// Shows the topic of `context` and brings the window to the front. Shown above a modal
  /// dialog when one is open, so that it can be read and closed.
  static void ShowTopic(int context);
  /// Resource path of the topic of `context`, or empty for an unknown context.
  static QString TopicResource(int context);

  /// Name of the help file the program sets at start; kept as a name only.
  static void SetHelpFile(const std::string& name);
  static const std::string& HelpFile();

  /// Context of the topic last shown; 0 before the first.
  int CurrentContext() const { return Context; }
  /// The browser showing the topic.
  QTextBrowser* Browser() const { return TextBrowser; }

private:
  THelpViewer();
  void Show(int context);

  QTextBrowser* TextBrowser = nullptr;
  QPushButton* btnBack = nullptr;
  int Context = 0;
};
