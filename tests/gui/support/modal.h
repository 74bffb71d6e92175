#pragma once
#include <functional>
#include <memory>

class QWidget;

/// Arranges for `action` to run on the modal window that opens next (found from the event
/// loop; call this before the code that opens the window). Gives up after `timeoutMs`.
/// The returned flag turns true once the action has run.
std::shared_ptr<bool> WhenModal(std::function<void(QWidget*)> action, int timeoutMs = 5000);
