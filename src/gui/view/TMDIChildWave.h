#pragma once
#include <memory>
#include <string>

#include <QRect>

#include "document/TProjectGeometry.h"
#include "engine/TFractProps.h"
#include "gui/view/TMDIChildZenolith.h"
#include "gui/view/TViewWave.h"

class TStoredFractal;
class TUnitFract;

/// A fractal window: a child window of the main window that shows one fractal document
/// through its view (`TViewWave`, filling the window), saves and reverts it, asks before
/// unsaved work is lost, and hands out and takes the values that the fractal file and the
/// project file store. The view's signals come out as this window's.
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
  TMouseMode GetMouseMode() const { return View->GetMouseMode(); }
  /// Gives the view the mode and shows its cursor.
  void SetMouseMode(TMouseMode mode);

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
  /// Marks the document saved (no effect while it is being set up).
  void ClearModified();

  // ---- Saving.
  /// Saves the document to its file, or through SaveAs when it has none; false when not
  /// saved (a failed write has shown its message).
  bool Save();
  /// Asks for a file name and writes the document there; it becomes the document's file.
  /// False when cancelled or not written.
  bool SaveAs();
  /// Reads the document's file again into the view and recomputes, as one undoable change;
  /// on failure shows "Cannot revert the file" and changes nothing.
  bool Revert();

  /// "Do you want to save the Wave ..." for the document's name and file.
  std::string SaveQuestion() const;
  /// Asks about unsaved changes: Yes saves (Save) and closes only when that succeeded, No
  /// closes, Cancel keeps the window (and its computation) going.
  bool CloseQuery() override;
  /// Stops the computation before the window goes.
  void EvFormClose() override;
  /// Status panels 1 to 3 from the view (mouse point, progress, time), 4 and 5 empty, 6 "New",
  /// "Changed" or empty.
  std::array<std::string, StatusTextCount> StatusTexts() const override;

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

signals:
  /// The view asks for a Julia window (TViewWave::JuliaRequested).
  void JuliaRequested(const TFractProps& params, const TVoldViewProps& viewProps, double cr,
                      double ci, double dr, double di);
  /// A text for the main window's first status panel (TViewWave::StatusHint).
  void StatusHint(const QString& text);
  /// The document was written to `path`, its file from now on.
  void FileSaved(const std::string& path);
  /// The view's picture did not fit in memory (TViewWave::MemoryRefused).
  void MemoryRefused(const QString& what, bool surface);

protected:
  void wheelEvent(QWheelEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  void RememberNormalGeometry();

  TUnitFract* UnitFract = nullptr;
  TViewWave* View = nullptr;
  // Geometry while neither minimized nor maximized, for the project file.
  QRect NormalGeometry;
};
