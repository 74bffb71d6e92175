#include "gui/view/TViewWave.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include "core/assertions.h"
#include "core/linearmap.h"
#include "engine/TFractArray.h"
#include "engine/TMemoryBudget.h"
#include "engine/TThreadVolumeWriter.h"
#include "engine/deep/deepbounds.h"
#include "engine/deep/deepzoom.h"
#include "document/TUnitFract.h"
#include "gui/common/TQtOrbitCanvas.h"
#include "gui/common/cursors.h"
#include "gui/common/imagefile.h"

namespace {

// One notch of a wheel, in eighths of a degree.
constexpr int WheelNotch = 120;
// How often the time of a running computation is shown anew, in milliseconds.
constexpr int StatusClockInterval = 250;

// Bytes in whole megabytes, rounded up.
quint64 MegabytesOf(uint64_t bytes) { return bytes / (1 << 20) + (bytes % (1 << 20) != 0); }

// Whether the bounds of `a` and `b` are the same numbers, however they are written.
bool SameDeepArea(const TDeepParams& a, const TDeepParams& b) {
  const std::string* first[4] = {&a.Left, &a.Top, &a.Right, &a.Bottom};
  const std::string* second[4] = {&b.Left, &b.Top, &b.Right, &b.Bottom};
  for (int i = 0; i < 4; ++i) {
    TMpfr x(64), y(64);
    std::string message;
    if (!ParseDecimal(*first[i], x, message) || !ParseDecimal(*second[i], y, message) ||
        !mpfr_equal_p(x.Get(), y.Get()))
      return false;
  }
  return true;
}

}  // namespace

TViewWave::TViewWave(TUnitFract& document, const TVoldViewProps& viewProps,
                     const TFractProps& params)
    : Document(document), ViewProps(viewProps), FractProps(params) {
  setObjectName(QStringLiteral("ViewWave"));
  // Every pixel comes from the surface; Qt need not clear anything first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  StatusClock.setInterval(StatusClockInterval);
  connect(&StatusClock, &QTimer::timeout, this, &TViewWave::StatusChanged);
}

TViewWave::~TViewWave() {
  // Nobody listens to a view that is going.
  blockSignals(true);
  StopComputation();
  TMemoryBudget::Shared().Release(ArrayBytes + SurfaceBytes);
}

void TViewWave::SetParams(const TFractProps& params) {
  StopComputation();
  DepthRaisesLeft = 0;
  FractProps = params;
}

int TViewWave::CursorOfMode(TMouseMode mode) {
  switch (mode) {
    case mmZoomIn: return CURSOR_ZOOMIN;
    case mmZoomOut: return CURSOR_ZOOMOUT;
    case mmDrawPoints: return CURSOR_DRAW;
    case mmCreateJulia: return CURSOR_MAND2JUL;
    case mmNone: break;
  }
  return 0;
}

void TViewWave::StartComputation() {
  StopComputation();
  ZASSERT_TEXT(ThreadVolumeWriter == nullptr, "ThreadVolumeWriter == NULL");
  const TKernelParams params = FractProps.KernelParams();
  // The new array replaces the old one, so only the difference counts against the budget.
  TMemoryBudget& budget = TMemoryBudget::Shared();
  const uint64_t bytes = TMemoryBudget::AreaBytes(params.XResolution, params.YResolution,
                                                  TFractArray::BytesPerCell);
  std::unique_ptr<TFractArray> array;
  if (budget.TryReplace(ArrayBytes, bytes)) {
    array = TFractArray::TryCreate(params.XResolution, params.YResolution);
    if (!array) budget.TryReplace(bytes, ArrayBytes);
  }
  if (!array) {
    // Refused rather than crashing; the previous picture stays.
    DepthRaisesLeft = 0;
    emit MemoryRefused(QStringLiteral("keeps its picture: results of %1 x %2 points need %3 MB")
                           .arg(params.XResolution)
                           .arg(params.YResolution)
                           .arg(MegabytesOf(bytes)),
                       false);
    return;
  }
  ArrayBytes = bytes;
  FractArray = std::move(array);
  EndHandled = false;
  TThreadVolumeWriter::TOptions options = TThreadVolumeWriter::TOptions::Fastest();
  options.Deep = DeepPlanFor(FractProps);
  ThreadVolumeWriter =
      std::make_unique<TThreadVolumeWriter>(*this, *FractArray, params, Dispatcher, options);
  ComputeTime = -1;
  ComputeClock.start();
  ThreadVolumeWriter->Resume();
  StatusClock.start();
  emit StatusChanged();
  // A flat picture would otherwise seem a fault; the zoom says the same when it stops there.
  if (AreaTooSmall())
    emit StatusHint(QString::fromLatin1(AreaTooSmallForFormula)
                        .arg(QString::fromStdString(DeepZoomFormulaList())));
}

bool TViewWave::AreaTooSmall() const {
  if (DeepKernelSupports(FractProps.Formula)) return false;
  return FractProps.HasDeepArea() ? NeedsDeepKernel(FractProps.DeepParams())
                                  : NeedsDeepKernel(FractProps.KernelParams());
}

void TViewWave::StopComputation() {
  if (!ThreadVolumeWriter) return;
  ThreadVolumeWriter->Terminate();
  ThreadVolumeWriter->WaitFor();
  ThreadVolumeWriter.reset();
  StatusClock.stop();
  // A computation cut short took no time worth showing.
  if (!EndHandled) ComputeTime = -1;
  EndHandled = false;
  emit StatusChanged();
}

bool TViewWave::Computing() const {
  return ThreadVolumeWriter && !ThreadVolumeWriter->Finished();
}

TRect TViewWave::ClientRect() const { return TRect{0, 0, width(), height()}; }

uint32_t TViewWave::BackgroundColour() const {
  const QColor c = palette().color(QPalette::Window);
  return static_cast<uint32_t>(c.red()) | static_cast<uint32_t>(c.green()) << 8 |
         static_cast<uint32_t>(c.blue()) << 16;
}

QImage TViewWave::SurfaceImage() { return PixelBufferImage(Surface); }

void TViewWave::Show(const TRect& r) {
  if (!r.Empty()) update(QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top));
}

void TViewWave::RequestRepaint() {
  RepaintPendingFlag = true;
  update();
}

void TViewWave::paintEvent(QPaintEvent* event) {
  if (RepaintPendingFlag) {
    RepaintPendingFlag = false;
    const TRect client = ClientRect();
    Surface.FillBox(0, 0, Surface.Width() - 1, Surface.Height() - 1, BackgroundColour());
    PaintRect(Surface, client, client, FractArray.get(), ViewProps,
              FractProps.MaxCycle.GetInt(), false);
    // The repaint covered the selection outline.
    SelectionDrawn = false;
    PaintOrbits();
  }
  QPainter painter(this);
  const QImage image = SurfaceImage();
  if (image.isNull()) {
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
  } else {
    painter.drawImage(event->rect(), image, event->rect());
  }
}

void TViewWave::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const uint64_t bytes = TMemoryBudget::AreaBytes(width(), height(), sizeof(uint32_t));
  if (TMemoryBudget::Shared().TryReplace(SurfaceBytes, bytes)) {
    SurfaceBytes = bytes;
    SurfaceRefused = false;
    Surface.Reset(width(), height(), BackgroundColour());
  } else {
    // A window too large for what the windows may take shows nothing (its place and size stay,
    // so that a project stores them); one message until it fits again.
    TMemoryBudget::Shared().Release(SurfaceBytes);
    SurfaceBytes = 0;
    Surface = TPixelBuffer();
    // Told once until a size fits again; the message comes after the resizes at hand.
    if (!std::exchange(SurfaceRefused, true))
      emit MemoryRefused(QStringLiteral("stays empty: its picture of %1 x %2 pixels needs %3 MB")
                             .arg(width())
                             .arg(height())
                             .arg(MegabytesOf(bytes)),
                         true);
  }
  SelectionDrawn = false;
  RequestRepaint();
}

void TViewWave::PaintProgress() {
  const TRect strip = ::PaintProgress(Surface, ClientRect(), FractArray.get(), ViewProps,
                                      FractProps.MaxCycle.GetInt(), RepaintPendingFlag);
  Show(strip);
  emit StatusChanged();
}

void TViewWave::ComputationEnded() {
  ComputeTime = ComputeClock.elapsed();
  EndHandled = true;
  StatusClock.stop();
  // A raise computes the picture again; the orbits wait for that one.
  if (CheckFinishedDepths()) return;
  DrawOrbits();
  emit StatusChanged();
}

// ---- Orbit points.

bool TViewWave::PaintOrbits() {
  if (DrawPoints.Empty()) return false;
  QImage image = SurfaceImage();
  if (image.isNull()) return false;
  QPainter painter(&image);
  TQtOrbitCanvas canvas(painter);
  if (FractProps.UsesDeepKernel()) {
    const TDeepParams deep = FractProps.DeepParams();
    DrawPoints.Draw(canvas, ClientRect(), FractProps.KernelParams(), &deep);
  } else {
    DrawPoints.Draw(canvas, ClientRect(), FractProps.KernelParams());
  }
  return true;
}

void TViewWave::SetGroupPoints(bool group) {
  if (GroupPoints == group) return;
  GroupPoints = group;
  emit StateChanged();
}

void TViewWave::DrawOrbits() {
  if (PaintOrbits()) update();
}

void TViewWave::AddNextPoints() {
  const TViewState before = CaptureState();
  OrbitJournal.AddNextPoints(DrawPoints, FractProps.KernelParams());
  DrawOrbits();
  CommitChange(before);
}

void TViewWave::ToggleGroupPoints() {
  const TViewState before = CaptureState();
  GroupPoints = !GroupPoints;
  if (!GroupPoints) {
    OrbitJournal.Group(DrawPoints);
    DrawOrbits();
  }
  CommitChange(before);
}

void TViewWave::RemovePoints() {
  const TViewState before = CaptureState();
  OrbitJournal.Clear(DrawPoints);
  RequestRepaint();
  CommitChange(before);
}

// ---- Selection.

TRect TViewWave::SelectionAt(int x, int y, double selectionSize) const {
  const double h = selectionSize * 0.5;
  const double w = width();
  const double v = height();
  return TRect{static_cast<int>(std::trunc(x - w * h)), static_cast<int>(std::trunc(y - v * h)),
               static_cast<int>(std::trunc(x + w * h)), static_cast<int>(std::trunc(y + v * h))};
}

void TViewWave::EraseSelection() {
  if (!SelectionDrawn) return;
  const TRect& s = Selection;
  const TRect strips[4] = {{s.Left, s.Top, s.Right + 1, s.Top + 1},
                           {s.Left, s.Bottom, s.Right + 1, s.Bottom + 1},
                           {s.Left, s.Top, s.Left + 1, s.Bottom + 1},
                           {s.Right, s.Top, s.Right + 1, s.Bottom + 1}};
  for (const TRect& strip : strips) {
    PaintRect(Surface, ClientRect(), strip, FractArray.get(), ViewProps,
              FractProps.MaxCycle.GetInt(), RepaintPendingFlag);
    Show(strip);
  }
  SelectionDrawn = false;
}

void TViewWave::DrawSelection(int x, int y) {
  EraseSelection();
  Selection = SelectionAt(x, y, SelectionSize);
  const TRect& s = Selection;
  const uint32_t colour = ViewProps.CursorColor;
  // A dotted pen: every other pixel along the outline, counted round it in one run.
  int step = 0;
  const auto dot = [&](int px, int py) {
    if ((step++ & 1) == 0) Surface.Set(px, py, colour);
  };
  for (int px = s.Left; px < s.Right; ++px) dot(px, s.Top);
  for (int py = s.Top; py < s.Bottom; ++py) dot(s.Right, py);
  for (int px = s.Right; px > s.Left; --px) dot(px, s.Bottom);
  for (int py = s.Bottom; py > s.Top; --py) dot(s.Left, py);
  SelectionDrawn = true;
  Show({s.Left, s.Top, s.Right + 1, s.Top + 1});
  Show({s.Left, s.Bottom, s.Right + 1, s.Bottom + 1});
  Show({s.Left, s.Top, s.Left + 1, s.Bottom + 1});
  Show({s.Right, s.Top, s.Right + 1, s.Bottom + 1});
}

void TViewWave::WheelDown(int x, int y) {
  if (MouseMode == mmNone) return;
  double s = SelectionSize;
  if (s < 0.5) {
    s = s * 0.9;
  } else {
    s = (s - (1 - s) * 0.1) * 0.99;
  }
  SelectionSize = s;
  DrawSelection(x, y);
}

void TViewWave::WheelUp(int x, int y) {
  if (MouseMode == mmNone) return;
  double s = SelectionSize;
  if (s < 0.5) {
    s = s * 1.1 + 0.01;
  } else {
    s = s + (1 - s) * 0.1;
  }
  SelectionSize = s;
  DrawSelection(x, y);
}

void TViewWave::Wheel(int angleDelta, int x, int y) {
  WheelRemainder += angleDelta;
  while (WheelRemainder >= WheelNotch) {
    WheelRemainder -= WheelNotch;
    WheelUp(x, y);
  }
  while (WheelRemainder <= -WheelNotch) {
    WheelRemainder += WheelNotch;
    WheelDown(x, y);
  }
}

// ---- Mouse.

void TViewWave::mousePressEvent(QMouseEvent* event) {
  // A click anywhere in the window makes it the active one, as a click on its frame does.
  if (auto* window = qobject_cast<QMdiSubWindow*>(parentWidget())) {
    QMdiArea* area = window->mdiArea();
    if (area && area->activeSubWindow() != window) area->setActiveSubWindow(window);
  }
  const QPoint at = event->position().toPoint();
  if (event->button() == Qt::RightButton) {
    RightClick();
  } else if (event->button() == Qt::LeftButton) {
    LeftClick(at.x(), at.y());
  }
  event->accept();
}

void TViewWave::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  MouseMove(at.x(), at.y());
}

void TViewWave::wheelEvent(QWheelEvent* event) {
  const QPoint at = event->position().toPoint();
  Wheel(event->angleDelta().y(), at.x(), at.y());
  event->accept();
}

void TViewWave::MouseMove(int x, int y) {
  if ((LastMouseX != -1 && x != LastMouseX) || (LastMouseY != -1 && y != LastMouseY)) {
    if (MouseMode == mmZoomIn || MouseMode == mmZoomOut) DrawSelection(x, y);
  }
  LastMouseX = x;
  LastMouseY = y;
  MouseInside = true;
  emit StatusChanged();
}

void TViewWave::RightClick() {
  if (MouseMode == mmZoomIn) {
    emit MouseModeRequested(mmZoomOut);
  } else if (MouseMode == mmZoomOut) {
    emit MouseModeRequested(mmZoomIn);
  }
}

void TViewWave::LeftClick(int x, int y) {
  const TMouseMode mode = MouseMode;
  if (mode == mmNone) return;
  const int w = width();
  const int h = height();
  if (w <= 0 || h <= 0) return;

  const TRect selection = SelectionAt(x, y, SelectionSize);
  const double left = FractProps.Left.GetDouble();
  const double right = FractProps.Right.GetDouble();
  const double top = FractProps.Top.GetDouble();
  const double bottom = FractProps.Bottom.GetDouble();
  double px = static_cast<double>(LinearMap(x, 0, w, left, right));
  double py = static_cast<double>(LinearMap(y, 0, h, top, bottom));
  if (mode == mmCreateJulia && FractProps.UsesDeepKernel()) {
    // The doubles of a deep view's bounds may all be one number: the point is taken in MPFR.
    const TMpfrComplex point = DeepClientPoint(FractProps.DeepParams(), x, y, w, h, 128);
    px = point.Re.ToDouble();
    py = point.Im.ToDouble();
  }

  switch (mode) {
    case mmZoomIn:
    case mmZoomOut:
      ZoomTo(selection, mode == mmZoomIn);
      break;
    case mmDrawPoints: {
      const TViewState before = CaptureState();
      if (!FractProps.UsesDeepKernel() ||
          !AddDeepOrbit(x, y, w, h)) {
        OrbitJournal.AddOrbit(DrawPoints, px, py, GroupPoints, FractProps.KernelParams());
      }
      DrawOrbits();
      CommitChange(before);
      break;
    }
    case mmCreateJulia: {
      const bool mapC = FractProps.MapField == TKernelParams::MapC;
      const bool mapD = FractProps.MapField == TKernelParams::MapD;
      const double cr = mapC ? px : FractProps.CR.GetDouble();
      const double ci = mapC ? py : FractProps.CI.GetDouble();
      const double dr = mapD ? px : FractProps.DR.GetDouble();
      const double di = mapD ? py : FractProps.DI.GetDouble();
      // Copies: the new window may become active and change what this view is asked.
      const TFractProps params = FractProps;
      const TVoldViewProps view = ViewProps;
      emit JuliaRequested(params, view, cr, ci, dr, di);
      break;
    }
    case mmNone:
      break;
  }
}

bool TViewWave::AddDeepOrbit(int x, int y, int w, int h) {
  // The clicked point in full, with the digits that tell the view's pixels apart and more.
  const TDeepParams deep = FractProps.DeepParams();
  const TBoundTexts bounds = RoundedDeepBounds(deep);
  mpfr_prec_t precision = 64;
  for (const std::string& text : bounds)
    precision = std::max<mpfr_prec_t>(precision, static_cast<mpfr_prec_t>(text.size() * 4 + 64));
  const TMpfrComplex point = DeepClientPoint(deep, x, y, w, h, precision);
  const int digits = static_cast<int>(precision * 0.30103) + 1;
  return OrbitJournal.AddDeepOrbit(DrawPoints, DecimalText(point.Re, digits),
                                   DecimalText(point.Im, digits), GroupPoints,
                                   FractProps.KernelParams()) != nullptr;
}

void TViewWave::ZoomTo(const TRect& selection, bool zoomIn) {
  const long double w = width();
  const long double h = height();
  // A selection without width or height maps nothing (a view narrower than 1 / size pixels).
  if (selection.Right == selection.Left || selection.Bottom == selection.Top) {
    RefuseZoom(zoomIn);
    return;
  }
  const long double left = FractProps.Left.GetDouble();
  const long double right = FractProps.Right.GetDouble();
  const long double top = FractProps.Top.GetDouble();
  const long double bottom = FractProps.Bottom.GetDouble();
  double newLeft, newRight, newTop, newBottom;
  if (zoomIn) {
    newLeft = static_cast<double>(LinearMap(selection.Left, 0, w, left, right));
    newRight = static_cast<double>(LinearMap(selection.Right, 0, w, left, right));
    newTop = static_cast<double>(LinearMap(selection.Top, 0, h, top, bottom));
    newBottom = static_cast<double>(LinearMap(selection.Bottom, 0, h, top, bottom));
  } else {
    newLeft = static_cast<double>(LinearMap(0, selection.Left, selection.Right, left, right));
    newRight = static_cast<double>(LinearMap(w, selection.Left, selection.Right, left, right));
    newTop = static_cast<double>(LinearMap(0, selection.Top, selection.Bottom, top, bottom));
    newBottom =
        static_cast<double>(LinearMap(h, selection.Top, selection.Bottom, top, bottom));
  }
  // Past the precision or the range of the numbers the area would collapse or overflow, and
  // a file could not store it: such a zoom is not made.
  const bool collapsed = !std::isfinite(newLeft) || !std::isfinite(newRight) ||
                         !std::isfinite(newTop) || !std::isfinite(newBottom) ||
                         newLeft == newRight || newTop == newBottom;
  if (DeepKernelSupports(FractProps.Formula)) {
    // The deep kernel's formulas zoom on in MPFR once the view or the new one is deep.
    TFractProps shallow = FractProps;
    if (!collapsed) {
      shallow.ClearDeepArea();
      shallow.Left.SetDouble(newLeft);
      shallow.Top.SetDouble(newTop);
      shallow.Right.SetDouble(newRight);
      shallow.Bottom.SetDouble(newBottom);
    }
    if (collapsed || FractProps.UsesDeepKernel() || shallow.UsesDeepKernel()) {
      ZoomDeep(selection, zoomIn);
      return;
    }
  }
  // Bounds that come out as they were (a view one unit of the last place wide) zoom nowhere.
  if (collapsed || (newLeft == left && newRight == right && newTop == top &&
                    newBottom == bottom)) {
    RefuseZoom(zoomIn, true);
    return;
  }
  TFractProps zoomed = FractProps;
  zoomed.ClearDeepArea();
  zoomed.Left.SetDouble(newLeft);
  zoomed.Top.SetDouble(newTop);
  zoomed.Right.SetDouble(newRight);
  zoomed.Bottom.SetDouble(newBottom);
  // Where NeedsDeepKernel says double pictures turn to blocks, the deep kernel's formulas have
  // gone deep above; the others stop zooming in. A view opened beyond it still zooms out.
  if (zoomIn && NeedsDeepKernel(zoomed.KernelParams())) {
    RefuseZoom(zoomIn, true);
    return;
  }
  ApplyZoom(zoomed);
}

void TViewWave::ApplyZoom(const TFractProps& zoomed) {
  const TViewState before = CaptureState();
  StopComputation();
  FractProps = zoomed;
  StartComputation();
  MarkModified();
  CommitChange(before);
  // Auto Max Depth looks at the picture this zoom computes.
  DepthRaisesLeft = ThreadVolumeWriter ? AutoMaxDepthRaises : 0;
}

void TViewWave::ZoomDeep(const TRect& selection, bool zoomIn) {
  TBoundTexts bounds;
  std::string errorText;
  TFractProps zoomed = FractProps;
  if (!ZoomDeepBounds(FractProps.DeepParams(), width(), height(), selection.Left, selection.Top,
                      selection.Right, selection.Bottom, zoomIn, bounds) ||
      !zoomed.SetDeepArea(bounds[0], bounds[1], bounds[2], bounds[3], errorText)) {
    RefuseZoom(zoomIn);
    return;
  }
  // A view the double kernels compute keeps the limits of doubles: it needs bounds that
  // doubles tell apart, and only a deep view zooms out to it in MPFR.
  if (!zoomed.UsesDeepKernel() &&
      (!FractProps.UsesDeepKernel() || zoomed.Left.GetDouble() == zoomed.Right.GetDouble() ||
       zoomed.Top.GetDouble() == zoomed.Bottom.GetDouble())) {
    RefuseZoom(zoomIn);
    return;
  }
  if (SameDeepArea(zoomed.DeepParams(), FractProps.DeepParams())) {
    RefuseZoom(zoomIn, true);
    return;
  }
  ApplyZoom(zoomed);
}

void TViewWave::RefuseZoom(bool zoomIn, bool precision) {
  // The click would otherwise seem lost; the first status panel keeps this until the next hint.
  QString text = QString::fromLatin1(zoomIn ? AreaCannotShrink : AreaCannotGrow);
  if (zoomIn && precision && !DeepKernelSupports(FractProps.Formula))
    text += QLatin1Char(' ') + QString::fromLatin1(DeepZoomFormulas)
                                   .arg(QString::fromStdString(DeepZoomFormulaList()));
  emit StatusHint(text);
}

void TViewWave::MarkModified() {
  Document.MarkModified();
  emit StateChanged();
}
