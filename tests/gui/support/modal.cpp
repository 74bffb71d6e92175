#include "gui/support/modal.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

std::shared_ptr<bool> WhenModal(std::function<void(QWidget*)> action, int timeoutMs) {
  auto ran = std::make_shared<bool>(false);
  auto* timer = new QTimer(qApp);
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  QWidget* before = QApplication::activeModalWidget();
  QObject::connect(timer, &QTimer::timeout, timer, [=] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != before && modal->isVisible()) {
      timer->stop();
      timer->deleteLater();
      *ran = true;
      action(modal);
    } else if (clock->elapsed() > timeoutMs) {
      timer->stop();
      timer->deleteLater();
    }
  });
  timer->start(5);
  return ran;
}

int RunModal(QDialog& dialog, const std::function<void()>& step) {
  auto ran = WhenModal([&](QWidget*) { step(); });
  const int result = dialog.exec();
  EXPECT_TRUE(*ran);
  return result;
}
