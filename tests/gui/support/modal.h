#pragma once
#include <functional>
#include <memory>

#include <QWidget>

#include <gtest/gtest.h>

class QDialog;

/// Arranges for `action` to run on the modal window that opens next (found from the event
/// loop; call this before the code that opens the window). Gives up after `timeoutMs`.
/// The returned flag turns true once the action has run.
std::shared_ptr<bool> WhenModal(std::function<void(QWidget*)> action, int timeoutMs = 5000);

/// WhenModal for a window of class `TDialog`: another class fails the test.
template <class TDialog, class TAction>
std::shared_ptr<bool> WhenDialog(TAction action, int timeoutMs = 5000) {
  return WhenModal(
      [action](QWidget* w) {
        auto* dialog = qobject_cast<TDialog*>(w);
        ASSERT_NE(dialog, nullptr) << "another modal window: " << w->metaObject()->className();
        action(dialog);
      },
      timeoutMs);
}

/// Runs `dialog` modally; `step` acts on it while it is open. Returns exec's result.
int RunModal(QDialog& dialog, const std::function<void()>& step);
