#pragma once
#include <functional>

#include <QWidget>

class QPainter;

/// A plain surface whose owner paints it: OnPaint runs on every paint event with a painter on
/// the box and the box's client rectangle.
class TPaintBox : public QWidget {
  Q_OBJECT
public:
  explicit TPaintBox(QWidget* parent = nullptr);

  std::function<void(QPainter& painter, const QRect& client)> OnPaint;

protected:
  void paintEvent(QPaintEvent* event) override;
};
