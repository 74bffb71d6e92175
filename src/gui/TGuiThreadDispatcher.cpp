#include "gui/TGuiThreadDispatcher.h"

TGuiThreadDispatcher::TGuiThreadDispatcher(QObject* parent) : QObject(parent) {}

void TGuiThreadDispatcher::Post(std::function<void()> call) {
  QMetaObject::invokeMethod(this, [call = std::move(call)] { call(); }, Qt::QueuedConnection);
}
