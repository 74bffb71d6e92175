#pragma once
// Helpers of the fractal window tests: windows with chosen records, waiting for a picture, the
// same picture painted by the engine alone, and mouse input.
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "core/TXMLComplexElement.h"
#include "engine/TFractArray.h"
#include "engine/TUnitFract.h"
#include "engine/kernels.h"
#include "gui/TMDIChildWave.h"
#include "gui/TViewWave.h"
#include "gui/support/MainFormFixture.h"
#include "render/TPixelBuffer.h"
#include "render/painting.h"

/// Runs the event loop until `done` holds or `timeoutMs` passed; returns whether it holds.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 60000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QTest::qWait(2);
  }
  return true;
}

/// Waits until the view's computation has ended and its picture is complete on the surface.
inline bool WaitForPicture(const TViewWave* view, int timeoutMs = 60000) {
  return WaitUntil([view] { return view->ComputationFinished() && !view->RepaintPending(); },
                   timeoutMs);
}

/// The picture of `params` and `viewProps` at width x height pixels, computed and painted by
/// the engine and the render layer alone; `background` shows where no cell is painted.
inline TPixelBuffer EnginePicture(const TFractProps& params, const TVoldViewProps& viewProps,
                                  int width, int height, uint32_t background = 0) {
  const TKernelParams k = params.KernelParams();
  TFractArray array(k.XResolution, k.YResolution);
  EXPECT_TRUE(ComputeBand(k, array, TBand{0, 0, k.XResolution, k.YResolution}, k.XResolution));
  TPixelBuffer surface(width, height, background);
  const TRect client{0, 0, width, height};
  PaintRect(surface, client, client, &array, viewProps, k.MaxCycle, false);
  return surface;
}

/// Number of pixels in which the two surfaces differ (all of them when the sizes differ).
inline int DifferentPixels(const TPixelBuffer& a, const TPixelBuffer& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height())
    return std::max(a.Width() * a.Height(), b.Width() * b.Height()) + 1;
  int count = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) count += a.Get(x, y) != b.Get(x, y);
  return count;
}

/// The XML text of a record, to compare records field by field.
template <class TRecord>
std::string Xml(const TRecord& record) {
  std::string text;
  record.WriteXML()->Write(text, 0);
  return text;
}

/// A wheel event of `angleDelta` (120 = one notch up) at `at` in the widget's coordinates.
inline void SendWheel(QWidget* widget, QPoint at, int angleDelta) {
  QWheelEvent event(QPointF(at), QPointF(widget->mapToGlobal(at)), QPoint(),
                    QPoint(0, angleDelta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                    false);
  QApplication::sendEvent(widget, &event);
}

/// The main window with helpers to make fractal windows.
class WaveFixture : public MainFormFixture {
protected:
  /// A shown, active fractal window for a new document with the given records.
  TMDIChildWave* AddWave(const TFractProps& params, const TVoldViewProps& viewProps = {},
                         const std::string& name = "", const std::string& file = "") {
    TMDIChildWave* child = Form->CreateChildWindow(
        std::make_unique<TUnitFract>(name, file), params, viewProps);
    Form->AddChildWindow(child);
    QApplication::processEvents();
    return child;
  }

  /// Resizes the window so that its view is width x height pixels.
  static void SetViewSize(TMDIChildWave* child, int width, int height) {
    const QSize view = child->GetView()->size();
    child->resize(child->size() + QSize(width, height) - view);
    QApplication::processEvents();
    ASSERT_EQ(child->GetView()->size(), QSize(width, height));
  }

  /// A small, quick Mandelbrot set over [-2.2, 0.8] x [1.2, -1.2].
  static TFractProps SmallMandelbrot(int xResolution = 60, int yResolution = 40) {
    TFractProps p;
    p.XResolution.SetInt(xResolution);
    p.YResolution.SetInt(yResolution);
    p.Left.SetDouble(-2.2);
    p.Right.SetDouble(0.8);
    p.Top.SetDouble(1.2);
    p.Bottom.SetDouble(-1.2);
    p.MaxDepth.SetInt(60);
    p.MaxCycle.SetInt(4);
    p.MapField = TFractProps::MapC;
    return p;
  }

  /// A computation that runs for many seconds.
  static TFractProps SlowMandelbrot() {
    TFractProps p = SmallMandelbrot(1500, 1500);
    p.MaxDepth.SetInt(200000);
    p.MaxCycle.SetInt(0);
    return p;
  }
};
