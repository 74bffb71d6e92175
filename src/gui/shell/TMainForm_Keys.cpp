// The main window's keys and hints: command keys before the menus' mnemonics, plain keys for
// the name field and tool windows, the long hints of the first status panel.
#include <QApplication>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolTip>

#include "document/TUnit.h"
#include "gui/shell/TMainForm.h"
#include "gui/view/TMDIChildZenolith.h"
#include "gui/view/TWorkspace.h"

namespace {

// Keys that keep their ordinary meaning while plain keys are captured.
bool PassesKeyFilter(int key) {
  switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Insert:
    case Qt::Key_Delete:
      return true;
    default:
      return false;
  }
}

// Whether `inner` is `outer` or lies inside it.
bool IsInside(const QObject* inner, const QObject* outer) {
  for (const QObject* o = inner; o != nullptr; o = o->parent()) {
    if (o == outer) return true;
  }
  return false;
}

// The name field gives way to the window again: it shows the window's name, and the keys go to
// the window, so that a plain letter is a command again.
void ReturnToWindow(TMainForm& form) {
  form.EndNameEdit();
  const TUnit* unit = form.Workspace->ActiveUnit();
  form.SetEditName(unit ? unit->GetName() : std::string());
  if (TMDIChildZenolith* child = form.Workspace->ActiveChild()) child->setFocus();
}

}  // namespace

void TMainForm::EditNameClick() { NameEditing = true; }

void TMainForm::EvEditNameOnKeyPress() {
  // A refused name has been reported; either way the field shows the window's name again.
  CommitEditName();
  ReturnToWindow(*this);
}

bool TMainForm::KeyFilter(QEvent* event) {
  if (event->type() != QEvent::ShortcutOverride || !(NameEditing || KeyCapture)) return false;
  // A modal dialog owns its keys; the main window's shortcuts are not active then anyway.
  if (QApplication::activeModalWidget()) return false;
  if (PassesKeyFilter(static_cast<QKeyEvent*>(event)->key())) return false;
  // Accepted: the key goes to the focused widget as input instead of to a shortcut.
  event->accept();
  return true;
}

QAction* TMainForm::ActionForKey(const QKeyEvent& event) const {
  const QKeyCombination pressed(event.modifiers() & ~Qt::KeypadModifier,
                                static_cast<Qt::Key>(event.key()));
  for (QAction* a : Actions) {
    for (const QKeySequence& k : a->shortcuts()) {
      if (k.count() == 1 && k[0] == pressed) return a;
    }
  }
  return nullptr;
}

QAction* TMainForm::MenuForKey(const QKeyEvent& event) const {
  const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
  const bool f10 = event.key() == Qt::Key_F10 && modifiers == Qt::NoModifier;
  const QKeySequence pressed(QKeyCombination(modifiers, static_cast<Qt::Key>(event.key())));
  for (QAction* title : menuBar()->actions()) {
    if (!title->isVisible()) continue;
    if (f10) return title;
    const QKeySequence mnemonic = QKeySequence::mnemonic(title->text());
    if (!mnemonic.isEmpty() && mnemonic == pressed) return title;
  }
  return nullptr;
}

bool TMainForm::ActionKeyFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) {
    return false;
  }
  // Keys of this window only; an open menu, and the menu bar while the keyboard moves through
  // it, keep their own keys.
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != this || QApplication::activePopupWidget() ||
      qobject_cast<QMenuBar*>(widget)) {
    return false;
  }
  const auto* key = static_cast<QKeyEvent*>(event);
  if ((NameEditing || KeyCapture) && !PassesKeyFilter(key->key())) return false;
  QAction* action = ActionForKey(*key);
  if (action == nullptr) {
    // Then the menus: Alt and an underlined letter opens the first menu that has it ("&File"
    // before "&Fractal", which Qt would find ambiguous); F10 opens the first menu, from where
    // the arrows reach the others.
    QAction* title = MenuForKey(*key);
    if (title == nullptr) return false;
    if (event->type() == QEvent::ShortcutOverride) {
      event->accept();
    } else {
      menuBar()->setActiveAction(title);
    }
    return true;
  }
  if (event->type() == QEvent::ShortcutOverride) {
    // Claimed before the shortcut map, where a menu's mnemonic (Alt+P, Alt+W) would make the
    // key ambiguous; the key press that follows runs the command.
    event->accept();
    return true;
  }
  if (action->isEnabled()) action->trigger();
  return true;
}

void TMainForm::TrackAutoHint(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::StatusTip: {
      const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
      // The first receiver is the control the hint is about; its parents see the same event
      // after it.
      if (!tip.isEmpty() && !(HintSource && IsInside(HintSource, watched))) {
        HintSource = watched;
      }
      break;
    }
    case QEvent::Leave:
      // The menu bar loses the mouse to the menu it opens: its hint stays while a title is
      // chosen, and goes when the menu closes.
      if (HintSource && IsInside(HintSource, watched) &&
          !(HintSource == menuBar() && menuBar()->activeAction())) {
        ClearAutoHint();
      }
      break;
    case QEvent::Hide:
      if (watched == HintSource) {
        ClearAutoHint();
      } else if (qobject_cast<QMenu*>(watched)) {
        // A closing menu takes the hints of its entries and of its title with it. The menu bar
        // shows the title's hint again as the menu goes, so this waits for that; moving on to
        // the next menu keeps that menu's hint.
        QTimer::singleShot(0, this, [this] {
          if (!QApplication::activePopupWidget()) ClearAutoHint();
        });
      }
      break;
    default:
      break;
  }
}

void TMainForm::ClearAutoHint() {
  if (!HintSource) return;
  HintSource = nullptr;
  // Another text put there since (a refused zoom, for one) stays.
  if (StatusPanel(0)->text() == ShownHint) SetStatusText(0, QString());
  ShownHint.clear();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (KeyFilter(event)) return true;
  if (ActionKeyFilter(watched, event)) return true;
  TrackAutoHint(watched, event);
  if (watched == EditName) {
    if (event->type() == QEvent::FocusIn) {
      EditNameClick();
    } else if (event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      ReturnToWindow(*this);
      return true;
    } else if (event->type() == QEvent::FocusOut) {
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      // Leaving the field for another place in this window ends the edit; an uncommitted
      // text gives way to the window's name again.
      if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
          NameEditing) {
        EndNameEdit();
        const TUnit* unit = Workspace->ActiveUnit();
        SetEditName(unit ? unit->GetName() : std::string());
      }
    }
  }
  if (event->type() == QEvent::ToolTip || event->type() == QEvent::StatusTip) {
    const auto it = ButtonHints.find(watched);
    if (it != ButtonHints.end()) {
      if (event->type() == QEvent::ToolTip) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), it->second.first,
                           static_cast<QWidget*>(watched));
        return true;
      }
      if (!static_cast<QStatusTipEvent*>(event)->tip().isEmpty()) {
        SetStatusText(0, it->second.second);
        ShownHint = it->second.second;
        return true;
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    // The long hint goes to the first panel only; the others keep their texts.
    const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
    // An empty tip takes back a hint; another text (a refused zoom) waits for the next hint.
    if (!tip.isEmpty() || StatusPanel(0)->text() == ShownHint) {
      SetStatusText(0, tip);
      ShownHint = tip;
    }
    return true;
  }
  return QMainWindow::event(event);
}
