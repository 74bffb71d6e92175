#pragma once
#include <cstdint>
#include <memory>

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include "engine/TFractProps.h"
#include "engine/TVolumeClient.h"
#include "gui/common/TGuiThreadDispatcher.h"
#include "gui/view/TOrbitJournal.h"
#include "gui/view/TUndoHistory.h"
#include "render/TDrawPointsList.h"
#include "render/TPixelBuffer.h"
#include "render/TVoldViewProps.h"
#include "render/painting.h"

class TFractArray;
class TThreadVolumeWriter;
class TUnitFract;

/// What a left click in a fractal view does.
enum TMouseMode : uint8_t {
  mmNone = 0,
  mmZoomIn = 1,
  mmZoomOut = 2,
  mmDrawPoints = 3,
  mmCreateJulia = 4
};

/// The control that shows one fractal and fills its fractal window. It owns the fractal's
/// parameters and colouring record, the result array, the computation and the orbit points.
/// Its picture is a 32-bit surface the size of the control, painted by the render layer and
/// shown through a QImage on the same memory. Mouse input zooms, starts orbits or asks for Julia
/// windows according to the mouse mode. Everything runs on the GUI thread. The view tells what
/// happens through its signals; it knows neither its window nor the main window.
class TViewWave : public QWidget, public TVolumeClient {
  Q_OBJECT
public:
  /// `document` (not owned; must outlive the view) is marked changed by the view's own changes
  /// and tells the undo history which state is saved. Both records are copied.
  TViewWave(TUnitFract& document, const TVoldViewProps& viewProps, const TFractProps& params);
  /// Stops the computation first.
  ~TViewWave() override;

  // ---- Mouse mode.
  TMouseMode GetMouseMode() const { return MouseMode; }
  /// Takes the mode; the window that holds the view shows its cursor.
  void SetMouseMode(TMouseMode mode) { MouseMode = mode; }
  /// The cursor id of a mode (0 = the arrow).
  static int CursorOfMode(TMouseMode mode);
  /// Selection rectangle size as a fraction of the view's width and height, in (0, 1).
  double SelectionSize = 0.5;

  // ---- Records.
  const TVoldViewProps& GetViewProps() const { return ViewProps; }
  /// Takes the colouring record; call RequestRepaint() to show it.
  void SetViewProps(const TVoldViewProps& props) { ViewProps = props; }
  const TFractProps& GetParams() const { return FractProps; }
  /// Stops the computation, then takes the parameters; StartComputation() shows them. Auto
  /// Max Depth leaves parameters set here as they are: only zooms raise MaxDepth.
  void SetParams(const TFractProps& params);

  // ---- Computation.
  /// Computes the fractal from scratch in the background: stops the running computation,
  /// replaces the array and starts a new worker. The old picture stays until the new columns
  /// cover it. A resolution whose array cannot be allocated, or would take the windows' arrays
  /// and surfaces together past TMemoryBudget::Shared(), is refused (MemoryRefused); the
  /// previous array and picture then stay.
  void StartComputation();
  /// Asks the worker to end, waits for it and deletes it; returns at once without one. The
  /// worker never waits for the GUI thread once asked to end, so this does not freeze.
  void StopComputation();
  /// True while a worker runs.
  bool Computing() const;
  /// The current result array (owned), or null before the first computation.
  const TFractArray* GetFractArray() const { return FractArray.get(); }

  // ---- Auto Max Depth (TViewWave_Depth.cpp).
  /// Whether a zoom raises MaxDepth when its picture shows detail cut off by the limit: once
  /// the zoom's picture is computed, it is computed again with MaxDepth doubled (up to
  /// AutoMaxDepthCap) while at least 1% of the pixels reached MaxDepth and the escaped pixels
  /// past half of MaxDepth number at least a quarter of those; at most AutoMaxDepthRaises
  /// times a zoom. The raise belongs to the zoom: it adds no undo step.
  bool GetAutoMaxDepth() const { return AutoMaxDepth; }
  void SetAutoMaxDepth(bool on) { AutoMaxDepth = on; }
  /// The highest MaxDepth a raise gives.
  static constexpr int32_t AutoMaxDepthCap = 10000000;
  /// Raises after one zoom at most.
  static constexpr int AutoMaxDepthRaises = 4;
  /// Status text of a finished picture whose pixels mostly reached MaxDepth or a cycle.
  static constexpr const char* MostAtMaxDepth =
      "Most of the picture reached Max Depth or a cycle. Raise Max Depth in Fractal "
      "Properties, or switch on Auto Max Depth.";

  // ---- Painting.
  /// Invalidates the whole view: the next paint fills the background, paints the array and
  /// draws the orbit points. Progress painting draws nothing until then.
  void RequestRepaint();
  bool RepaintPending() const { return RepaintPendingFlag; }
  /// The picture: as large as the control, 0x00BBGGRR per pixel.
  const TPixelBuffer& GetSurface() const { return Surface; }
  /// The client rectangle in surface pixels.
  TRect ClientRect() const;
  /// The colour the surface has where no array cell is painted (0x00BBGGRR).
  uint32_t BackgroundColour() const;

  // ---- Orbit points.
  TDrawPointsList& GetDrawPoints() { return DrawPoints; }
  const TDrawPointsList& GetDrawPoints() const { return DrawPoints; }
  /// New orbits are marked for joining into a ring.
  bool GetGroupPoints() const { return GroupPoints; }
  void SetGroupPoints(bool group);
  /// Draws every orbit over the picture.
  void DrawOrbits();
  /// Adds the next iterate to every orbit and draws them.
  void AddNextPoints();
  /// Inverts the grouping flag; when it goes off, joins the marked orbits and draws them.
  void ToggleGroupPoints();
  /// Deletes every orbit and repaints the picture without them.
  void RemovePoints();
  /// The steps that built the orbits (for copies and the undo history).
  const TOrbitJournal& GetOrbitJournal() const { return OrbitJournal; }

  // ---- Undo (TViewWave_Undo.cpp). The mouse and the orbit commands record their changes
  // themselves; other changes go between CaptureState() and CommitChange().
  /// The records, orbits and grouping flag as they are now.
  TViewState CaptureState() const;
  /// Records `before` as an undo step, unless nothing the view shows has changed since.
  void CommitChange(const TViewState& before);
  /// Shows `state`: recomputes when its parameters differ, else repaints when the colouring
  /// or the orbits differ.
  void RestoreState(const TViewState& state);
  /// Forgets every undo and redo step.
  void ClearHistory();
  TUndoHistory& GetHistory() { return History; }
  const TUndoHistory& GetHistory() const { return History; }

  // ---- Status.
  /// The latest mouse position over the view (client pixels); false when the mouse is not
  /// over it.
  bool MousePosition(int& x, int& y) const;
  /// Finished percentage (0 to 100) of the running computation; -1 when none runs.
  int ProgressPercent() const;
  /// Milliseconds the running computation has taken so far, or the finished one took; -1
  /// before the first and after one was stopped.
  int64_t ComputeMilliseconds() const;

  /// Status texts of a zoom that is not made: the area would lose its width or height, or
  /// leave the range of the numbers.
  static constexpr const char* AreaCannotShrink = "The area cannot be made smaller.";
  static constexpr const char* AreaCannotGrow = "The area cannot be made larger.";
  /// Follows AreaCannotShrink for a formula the deep kernel does not compute, with the list
  /// of those it computes.
  static constexpr const char* DeepZoomFormulas = "Deeper zooms work only for %1.";
  /// Status text of a picture whose area lies past what the double kernels tell apart, for a
  /// formula the deep kernel does not compute (a file can hold such an area), with the list of
  /// those it computes.
  static constexpr const char* AreaTooSmallForFormula =
      "The area is too small for this formula: the picture shows blocks or one colour. "
      "Deeper zooms work only for %1.";
  /// Whether the area lies past what the double kernels tell apart and the formula has no
  /// deep kernel: the picture turns to blocks or one colour.
  bool AreaTooSmall() const;

  // ---- Selection and mouse (client pixels).
  /// The selection rectangle of size `selectionSize` (fraction of the view) centred on (x, y);
  /// Right and Bottom are the last pixels of the outline.
  TRect SelectionAt(int x, int y, double selectionSize) const;
  /// Whether the selection outline is on the surface, and where.
  bool SelectionIsDrawn() const { return SelectionDrawn; }
  const TRect& GetSelection() const { return Selection; }
  /// Erases the previous selection outline and draws the one centred on (x, y).
  void DrawSelection(int x, int y);
  /// One notch of the wheel down (smaller selection) or up, at (x, y).
  void WheelDown(int x, int y);
  void WheelUp(int x, int y);
  /// Wheel travel `angleDelta` (eighths of a degree, positive = up) at (x, y): a notch for
  /// every 120, the rest kept for the next call.
  void Wheel(int angleDelta, int x, int y);

  // TVolumeClient, on the GUI thread.
  void PaintProgress() override;
  void ComputationEnded() override;
  /// True once the latest computation has ended and its end was handled (orbits drawn);
  /// false while one runs, after a stop, and before the first.
  bool ComputationFinished() const { return EndHandled; }

signals:
  /// What ViewStatusTexts shows changed: the mouse moved or left, a computation started, went
  /// on, ended or stopped. While one runs it also comes a few times a second for its time.
  void StatusChanged();
  /// The undo history or the orbit grouping changed, or the document was marked changed.
  void StateChanged();
  /// A right click turned zoom in into zoom out or back: `mode` is asked for.
  void MouseModeRequested(TMouseMode mode);
  /// A click in Julia mode asks for a window with the Julia set of c = cr + ci i and
  /// d = dr + di i, with the view's records as they were at the click.
  void JuliaRequested(const TFractProps& params, const TVoldViewProps& viewProps, double cr,
                      double ci, double dr, double di);
  /// A text for the main window's first status panel: a zoom that was not made, or a finished
  /// picture that mostly reached MaxDepth or a cycle.
  void StatusHint(const QString& text);
  /// The memory the windows may take had no room for the view's picture: `what` says what
  /// did not fit and its size ("stays empty: its picture of 800 x 600 pixels needs 2 MB").
  /// `surface`: the view's size was refused (the view shows nothing until a size fits), else a
  /// computation (the previous picture stays).
  void MemoryRefused(const QString& what, bool surface);

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void leaveEvent(QEvent* event) override;

private:
  /// Draws the orbits into the surface only; true when something was drawn.
  bool PaintOrbits();
  void MouseMove(int x, int y);
  void LeftClick(int x, int y);
  void RightClick();
  void ZoomTo(const TRect& selection, bool zoomIn);
  /// Makes a zoom to `zoomed`: records the state before it, computes and marks the document
  /// changed; Auto Max Depth may follow when the picture is done.
  void ApplyZoom(const TFractProps& zoomed);
  /// Looks at a finished picture: raises MaxDepth and computes again when the zoom that made
  /// it asks for that (true), else shows the hint of a picture mostly at the limit.
  bool CheckFinishedDepths();
  /// Starts an orbit at client pixel (x, y) of a deep view (w x h pixels), in MPFR; false when
  /// it cannot start.
  bool AddDeepOrbit(int x, int y, int w, int h);
  /// The same zoom with the area in MPFR (the deep kernel's formulas past the threshold).
  void ZoomDeep(const TRect& selection, bool zoomIn);
  /// Says in the status bar why a zoom was not made; `precision`: the doubles ran out of
  /// digits, which for a formula the deep kernel does not compute is said too.
  void RefuseZoom(bool zoomIn, bool precision = false);
  void EraseSelection();
  /// Shows the pixels of `r` on screen.
  void Show(const TRect& r);
  /// Marks the document changed (no effect while it is being set up).
  void MarkModified();
  /// The surface as an image on the same memory (null when the surface is empty).
  QImage SurfaceImage();

  TUnitFract& Document;
  TMouseMode MouseMode = mmNone;
  TVoldViewProps ViewProps;
  TFractProps FractProps;
  std::unique_ptr<TFractArray> FractArray;
  // Declared before the worker: it must outlive every worker that posts to it.
  TGuiThreadDispatcher Dispatcher;
  TDrawPointsList DrawPoints;
  TOrbitJournal OrbitJournal;
  TUndoHistory History;
  bool GroupPoints = false;
  bool RepaintPendingFlag = false;
  TRect Selection;
  bool SelectionDrawn = false;
  int LastMouseX = -1;
  int LastMouseY = -1;
  bool MouseInside = false;
  QElapsedTimer ComputeClock;
  // Ticks while a computation runs, so that its time shown goes on between bands.
  QTimer StatusClock;
  int64_t ComputeTime = -1;
  // Wheel travel not yet turned into notches (touchpads send small steps).
  int WheelRemainder = 0;
  bool EndHandled = false;
  bool AutoMaxDepth = false;
  // Raises of MaxDepth the latest zoom may still make; 0 once its picture has been looked at.
  int DepthRaisesLeft = 0;
  TPixelBuffer Surface;
  // Bytes of the array and the surface, held in TMemoryBudget::Shared().
  uint64_t ArrayBytes = 0;
  uint64_t SurfaceBytes = 0;
  // The surface was refused and no size has fitted since.
  bool SurfaceRefused = false;
  std::unique_ptr<TThreadVolumeWriter> ThreadVolumeWriter;
};
