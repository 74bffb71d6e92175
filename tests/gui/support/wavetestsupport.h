#pragma once
// Helpers of the fractal window tests: windows with chosen records, waiting for a picture, the
// same picture painted by the engine alone, mouse input and projects.
#include <functional>
#include <map>
#include <memory>
#include <string>

#include <QApplication>
#include <QStandardPaths>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "document/TUnitFract.h"
#include "engine/TFractArray.h"
#include "engine/kernels.h"
#include "gui/support/MainFormFixture.h"
#include "gui/support/guitest.h"
#include "gui/support/modal.h"
#include "gui/view/TMDIChildWave.h"
#include "gui/view/TViewWave.h"
#include "render/TPixelBuffer.h"
#include "render/painting.h"

/// Waits until the view's computation has ended and its picture is complete on the surface.
inline bool WaitForPicture(const TViewWave* view, int timeoutMs = 60000) {
  return WaitUntil([view] { return view->ComputationFinished() && !view->RepaintPending(); },
                   timeoutMs);
}

/// Waits until the view has no repaint pending (a colouring change needs no computation).
inline bool WaitForRepaint(const TViewWave* view) {
  return WaitUntil([view] { return !view->RepaintPending(); });
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

/// Pixels in which the window's view differs from the engine's picture of its records.
inline int DifferentFromEngine(const TMDIChildWave* child) {
  const TViewWave* view = child->GetView();
  return DifferentPixels(view->GetSurface(), EnginePicture(child->GetParams(),
                                                           child->GetViewProps(), view->width(),
                                                           view->height()));
}

/// A click of `button` at `at` in the widget's coordinates.
inline void Click(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
  QTest::mouseClick(widget, button, Qt::NoModifier, at);
}

/// A press of the left button at `at`, sent to the widget at once: the view acts on presses,
/// and presses in quick succession stay presses where clicks would become double clicks.
inline void Press(QWidget* widget, QPoint at) {
  QMouseEvent event(QEvent::MouseButtonPress, QPointF(at), QPointF(widget->mapToGlobal(at)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

/// A wheel event of `angleDelta` (120 = one notch up) at `at` in the widget's coordinates.
inline void SendWheel(QWidget* widget, QPoint at, int angleDelta) {
  QWheelEvent event(QPointF(at), QPointF(widget->mapToGlobal(at)), QPoint(),
                    QPoint(0, angleDelta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                    false);
  QApplication::sendEvent(widget, &event);
}

/// `p` over [left, right] x [top, bottom].
inline TFractProps WithArea(TFractProps p, double left, double right, double top,
                            double bottom) {
  p.Left.SetDouble(left);
  p.Right.SetDouble(right);
  p.Top.SetDouble(top);
  p.Bottom.SetDouble(bottom);
  return p;
}

/// The main window with helpers to make fractal windows.
class WaveFixture : public MainFormFixture {
protected:
  /// A shown, active fractal window for a new document with the given records.
  TMDIChildWave* AddWave(const TFractProps& params, const TVoldViewProps& viewProps = {},
                         const std::string& name = "", const std::string& file = "") {
    TMDIChildWave* child = Form->Fractal->CreateChildWindow(
        std::make_unique<TUnitFract>(name, file), params, viewProps);
    Form->Workspace->AddChildWindow(child);
    QApplication::processEvents();
    return child;
  }

  /// AddWave, with the view resized to width x height unless 0, computed and waited for.
  TMDIChildWave* ComputedWave(const TFractProps& params, const TVoldViewProps& viewProps = {},
                              int width = 0, int height = 0, const std::string& name = "",
                              const std::string& file = "") {
    TMDIChildWave* child = AddWave(params, viewProps, name, file);
    if (width > 0) SetViewSize(child, width, height);
    child->StartComputation();
    EXPECT_TRUE(WaitForPicture(child->GetView()));
    return child;
  }

  /// Opens a copy of the fixture fractal made at `name` in `dir`; the new active window.
  TMDIChildWave* OpenCopy(const TScratchDir& dir, const std::string& name) {
    EXPECT_NE(Form->Fractal->OpenFractalFile(CopyFixture(dir, name)), nullptr);
    return Form->Workspace->ActiveWaveWindow();
  }

  /// Resizes the window so that its view is width x height pixels.
  static void SetViewSize(TMDIChildWave* child, int width, int height) {
    const QSize view = child->GetView()->size();
    child->resize(child->size() + QSize(width, height) - view);
    QApplication::processEvents();
    ASSERT_EQ(child->GetView()->size(), QSize(width, height));
  }

  /// What a project restores of each window, by name: place, file and records, and with
  /// `withState` whether it is changed and needs saving.
  std::map<std::string, std::string> ProjectState(bool withState) const {
    std::map<std::string, std::string> windows;
    for (TMDIChildWave* child : Form->Workspace->ProjectWindows()) {
      const TUnitFract* unit = child->GetUnitFract();
      const QRect g = child->geometry();
      std::string& w = windows[unit->GetName()];
      w = std::to_string(g.x()) + "," + std::to_string(g.y()) + " " + std::to_string(g.width()) +
          "x" + std::to_string(g.height()) + " file=" + unit->GetFileName();
      if (withState)
        w += " modified=" + std::to_string(unit->Modified()) +
             " needsSave=" + std::to_string(unit->NeedsSave());
      w += "\n" + Xml(child->GetParams()) + Xml(child->GetViewProps());
    }
    return windows;
  }

  /// A small, quick Mandelbrot set over [-2.2, 0.8] x [1.2, -1.2].
  static TFractProps SmallMandelbrot(int xResolution = 60, int yResolution = 40) {
    TFractProps p = WithArea(TFractProps(), -2.2, 0.8, 1.2, -1.2);
    p.XResolution.SetInt(xResolution);
    p.YResolution.SetInt(yResolution);
    p.MaxDepth.SetInt(60);
    p.MaxCycle.SetInt(4);
    p.MapField = TKernelParams::MapC;
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

/// WaveFixture with the recent files kept in a private INI file, never the user's settings.
class ExtrasFixture : public WaveFixture {
protected:
  void SetUp() override {
    QStandardPaths::setTestModeEnabled(true);
    TRecentFiles::SettingsFile = QString::fromStdString(Settings.File("settings.ini"));
    WaveFixture::SetUp();
  }
  void TearDown() override {
    WaveFixture::TearDown();
    TRecentFiles::SettingsFile.clear();
  }

  /// Destroys the main window and makes a new one, as a new run of the program would.
  void Restart() {
    WaveFixture::TearDown();
    WaveFixture::SetUp();
  }

  TScratchDir Settings{"extras_settings"};
};
