// What the fractal view tells the status bar: the mouse's plane point and the computation's
// progress and time.
#include "engine/TFractArray.h"
#include "gui/view/TViewWave.h"

bool TViewWave::MousePosition(int& x, int& y) const {
  if (!MouseInside) return false;
  x = LastMouseX;
  y = LastMouseY;
  return true;
}

int TViewWave::ProgressPercent() const {
  if (!ThreadVolumeWriter || EndHandled || !FractArray || FractArray->Width <= 0) return -1;
  const int64_t done = FractArray->ColumnsDone.load(std::memory_order_acquire);
  return static_cast<int>(done * 100 / FractArray->Width);
}

int64_t TViewWave::ComputeMilliseconds() const {
  if (ThreadVolumeWriter && !EndHandled) return ComputeClock.elapsed();
  return ComputeTime;
}

void TViewWave::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  MouseInside = false;
  emit StatusChanged();
}
