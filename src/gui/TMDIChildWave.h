#pragma once
#include <memory>
#include <string>

#include <QRect>

#include "document/TProjectGeometry.h"
#include "gui/TMDIChildZenolith.h"
#include "gui/TViewWave.h"

class TFractProps;
class TStoredFractal;
class TUnitFract;
class TVoldViewProps;

/// A fractal window: a child window of the main window that shows one fractal document
/// through its view (`TViewWave`, filling the window), holds the mouse mode and the selection
/// size, asks before unsaved work is lost, and hands out and takes the values that the
/// fractal file and the project file store.
class TMDIChildWave : public TMDIChildZenolith {
  Q_OBJECT
public:
  /// Default outer size in pixels.
  static constexpr int DefaultWidth = 328;
  static constexpr int DefaultHeight = 418;

  /// A window for `document` (owned from now on; it is linked to this window) whose view gets
  /// copies of `params` and `viewProps`. Nothing is computed until StartComputation().
  TMDIChildWave(QWidget* parent, const TFractProps& params, const TVoldViewProps& viewProps,
                std::unique_ptr<TUnitFract> document);
  /// Stops the computation, then deletes the document and the view.
  ~TMDIChildWave() override;

  /// The fractal document (owned).
  TUnitFract* GetUnitFract() const { return UnitFract; }
  /// The view (owned as a child widget).
  TViewWave* GetView() const { return View; }

  /// Shows the cursor with the id of cursors.h over the view.
  void SetViewCursor(int cursor) override;
  TMouseMode GetMouseMode() const { return MouseMode; }
  /// Stores the mode and shows its cursor.
  void SetMouseMode(TMouseMode mode);
  /// The cursor id of a mode (0 = the arrow).
  static int CursorOfMode(TMouseMode mode);
  /// Selection rectangle size as a fraction of the view's width and height, in (0, 1).
  double SelectionSize = 0.5;

  /// Copies of the view's records.
  TVoldViewProps GetViewProps() const;
  /// Takes the colouring record; the caller repaints.
  void SetViewProps(const TVoldViewProps& props);
  TFractProps GetParams() const;
  /// Stops the computation and takes the parameters; the caller restarts it.
  void SetParams(const TFractProps& params);
  void StartComputation();
  void RequestRepaint();
  /// Marks the document changed (no effect while it is being set up).
  void MarkModified();

  /// "Do you want to save the Wave ..." for the document's name and file.
  std::string SaveQuestion() const;
  /// Asks about unsaved changes: Yes saves through the main window and closes only when that
  /// succeeded, No closes, Cancel keeps the window (and its computation) going.
  bool CloseQuery() override;
  /// Stops the computation before the window goes.
  void EvFormClose() override;
  /// Check marks of the mouse modes and the grouping flag; status panels 2 to 4 from the view
  /// (mouse point, progress, time), 5 and 6 empty, 7 "New", "Changed" or empty.
  void UpdateMainActions(TMainForm& form) override;

  /// Copies of the view's two records, as the fractal file stores them.
  TStoredFractal GetStoredFractal() const;
  /// Takes both records of a fractal file read: the colouring, then the parameters (which
  /// stops the computation; the caller restarts it).
  void SetStoredFractal(const TStoredFractal& fractal);

  /// The window's place as a project stores it: the normal (restored) geometry in pixels of a
  /// window that is minimized or maximized, and the state.
  TProjectGeometry GetProjectPlace() const;
  /// Takes a place read from a project: names the document `name`, then sets the geometry and
  /// the state.
  void SetProjectPlace(const std::string& name, const TProjectGeometry& place);

protected:
  void wheelEvent(QWheelEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  void RememberNormalGeometry();

  TUnitFract* UnitFract = nullptr;
  TViewWave* View = nullptr;
  TMouseMode MouseMode = mmNone;
  // Geometry while neither minimized nor maximized, for the project file.
  QRect NormalGeometry;
};
