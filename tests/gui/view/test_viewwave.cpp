// The fractal view: its picture against the engine's, zooming, the wheel, the selection
// outline and orbit points.
#include <set>

#include <QLabel>

#include "document/TStoredFractal.h"
#include "document/fractalfile.h"
#include "gui/common/cursors.h"
#include "gui/support/wavetestsupport.h"
#include "engine/TFormula.h"
#include "engine/TFractArray.h"
#include "engine/deep/deepkernel.h"
#include "engine/deep/deepzoom.h"
#include "gui/view/viewstatus.h"
#include "support/formulaids.h"

namespace {

// The outline pixels of a selection in drawing order: along the top to the right, down the
// right side, back along the bottom, up the left side; each corner once.
std::vector<QPoint> OutlineInOrder(const TRect& s) {
  std::vector<QPoint> points;
  for (int x = s.Left; x < s.Right; ++x) points.emplace_back(x, s.Top);
  for (int y = s.Top; y < s.Bottom; ++y) points.emplace_back(s.Right, y);
  for (int x = s.Right; x > s.Left; --x) points.emplace_back(x, s.Bottom);
  for (int y = s.Bottom; y > s.Top; --y) points.emplace_back(s.Left, y);
  return points;
}

// `picture` with the dotted outline of `s`: the first pixel and every other one after it.
TPixelBuffer WithDottedOutline(TPixelBuffer picture, const TRect& s, uint32_t colour) {
  const std::vector<QPoint> points = OutlineInOrder(s);
  for (size_t i = 0; i < points.size(); i += 2) picture.Set(points[i].x(), points[i].y(), colour);
  return picture;
}

TFractProps QuickJulia() {
  TFractProps p;
  p.XResolution.SetInt(40);
  p.YResolution.SetInt(40);
  return p;
}

}  // namespace

using ViewWave = WaveFixture;

TEST_F(ViewWave, CommandLineFileIsPaintedExactlyAsTheEngineDoes) {
  Form->OpenCommandLine({TestData("gui/mandelbrot.zlf")});
  TMDIChildWave* child = Form->Workspace->ActiveWaveWindow();
  ASSERT_NE(child, nullptr);
  EXPECT_TRUE(Prompter.Messages.empty());
  EXPECT_EQ(child->GetParams().XResolution.GetInt(), 90);
  ASSERT_TRUE(WaitForPicture(child->GetView()));
  EXPECT_EQ(DifferentFromEngine(child), 0);

  // A new size: the surface is reallocated and the whole picture stretched again.
  for (const QSize size : {QSize(173, 131), QSize(61, 247)}) {
    SetViewSize(child, size.width(), size.height());
    ASSERT_TRUE(WaitForRepaint(child->GetView()));
    EXPECT_EQ(DifferentFromEngine(child), 0) << size.width() << " x " << size.height();
  }
}

TEST_F(ViewWave, ZoomMapsTheSelectionOntoTheArea) {
  struct TCase {
    TMouseMode Mode;
    QPoint At;
    double Left, Right, Top, Bottom;
  };
  // A 400 x 400 view of -1.5 .. 1.5 both ways (Top 1.5) with the selection at half size.
  const TCase cases[] = {
      {mmZoomIn, {200, 200}, -0.75, 0.75, 0.75, -0.75},
      {mmZoomOut, {200, 200}, -3, 3, 3, -3},
      {mmZoomIn, {100, 100}, -1.5, 0, 1.5, 0},
      {mmZoomOut, {100, 100}, -1.5, 4.5, 1.5, -4.5},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.At.x());
    TMDIChildWave* child = AddWave(QuickJulia(), {}, "Z", "/tmp/z.zlf");
    child->GetUnitFract()->ClearModified();
    SetViewSize(child, 400, 400);
    child->SetMouseMode(c.Mode);
    child->StartComputation();
    Click(child->GetView(), c.At);
    const TFractProps p = child->GetParams();
    EXPECT_DOUBLE_EQ(p.Left.GetDouble(), c.Left);
    EXPECT_DOUBLE_EQ(p.Right.GetDouble(), c.Right);
    EXPECT_DOUBLE_EQ(p.Top.GetDouble(), c.Top);
    EXPECT_DOUBLE_EQ(p.Bottom.GetDouble(), c.Bottom);
    // A zoomed window counts as changed; the mode stays.
    EXPECT_TRUE(child->GetUnitFract()->Modified());
    EXPECT_EQ(child->GetMouseMode(), c.Mode);
    // The new area is computed and painted.
    ASSERT_TRUE(WaitForPicture(child->GetView()));
    EXPECT_EQ(DifferentFromEngine(child), 0);
    child->CloseWithoutQuery();
  }
}

TEST_F(ViewWave, ZoomThatWouldCollapseOrOverflowTheAreaIsIgnored) {
  const struct {
    const char* What;
    TMouseMode Mode;
    double SelectionSize;
    QPoint At;
    double Extent;
    int Formula;
    std::string Status;  // what the first status panel says
  } cases[] = {
      // At the corner a tiny selection truncates to a single pixel.
      {"no width", mmZoomIn, 0.001, {0, 0}, 1.5, 0, TViewWave::AreaCannotShrink},
      {"no width", mmZoomOut, 0.001, {0, 0}, 1.5, 0, TViewWave::AreaCannotGrow},
      // Doubling the largest numbers overflows.
      {"overflow", mmZoomOut, 0.5, {200, 200}, 1e308, 0, TViewWave::AreaCannotGrow},
  };
  EXPECT_EQ(std::string(TViewWave::AreaCannotShrink), "The area cannot be made smaller.");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    Form->SetStatusText(0, "");
    TFractProps p = WithArea(QuickJulia(), -c.Extent, c.Extent, c.Extent, -c.Extent);
    p.Formula = static_cast<uint8_t>(c.Formula);
    TMDIChildWave* child = AddWave(p, {}, "Z", "/tmp/z.zlf");
    SetViewSize(child, 400, 400);
    child->SetMouseMode(c.Mode);
    child->GetView()->SelectionSize = c.SelectionSize;
    // QTest takes the point (0, 0) for the widget's centre: the click is sent directly.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(c.At),
                      QPointF(child->GetView()->mapToGlobal(c.At)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(child->GetView(), &press);
    EXPECT_EQ(child->GetParams().Left.GetDouble(), -c.Extent);
    EXPECT_EQ(child->GetParams().Right.GetDouble(), c.Extent);
    EXPECT_FALSE(child->GetUnitFract()->Modified());
    EXPECT_EQ(child->GetView()->GetFractArray(), nullptr);
    EXPECT_EQ(Form->StatusPanel(0)->text().toStdString(), c.Status);
    child->CloseWithoutQuery();
  }
}

TEST_F(ViewWave, WheelChangesTheSelectionSize) {
  TMDIChildWave* child = AddWave(QuickJulia());
  TViewWave* view = child->GetView();
  SetViewSize(child, 200, 200);
  const QPoint at(100, 100);

  // Without a mode the wheel does nothing.
  SendWheel(view, at, -120);
  EXPECT_EQ(child->GetView()->SelectionSize, 0.5);
  EXPECT_FALSE(view->SelectionIsDrawn());

  child->SetMouseMode(mmZoomIn);
  SendWheel(view, at, -120);
  EXPECT_TRUE(view->SelectionIsDrawn());
  EXPECT_DOUBLE_EQ(child->GetView()->SelectionSize, 0.4455);
  // Size before (< 0 = as the row before left it), wheel turn, size after. Small steps add up
  // to one notch.
  const struct {
    double Before;
    int Delta;
    double After;
  } turns[] = {{-1, -120, 0.40095}, {0.4, 120, 0.45},  {-1, 120, 0.45 * 1.1 + 0.01},
               {0.5, 120, 0.55},    {0.5, -60, 0.5},   {-1, -60, 0.4455}};
  for (const auto& t : turns) {
    if (t.Before >= 0) child->GetView()->SelectionSize = t.Before;
    SendWheel(view, at, t.Delta);
    EXPECT_DOUBLE_EQ(child->GetView()->SelectionSize, t.After)
        << t.Before << " turned by " << t.Delta;
  }
  // Any mode but none draws the selection where the wheel turned.
  child->SetMouseMode(mmDrawPoints);
  SendWheel(view, QPoint(50, 60), 120);
  EXPECT_TRUE(view->SelectionIsDrawn());
  EXPECT_EQ(view->GetSelection(), view->SelectionAt(50, 60, child->GetView()->SelectionSize));
}

TEST_F(ViewWave, FirstMoveRecordsSecondDrawsTheDottedSelectionNextErasesIt) {
  TVoldViewProps colours;
  colours.CursorColor = 0x13579B;
  TMDIChildWave* child = ComputedWave(QuickJulia(), colours, 300, 200);
  TViewWave* view = child->GetView();
  child->SetMouseMode(mmZoomIn);
  const TPixelBuffer picture = view->GetSurface();

  QTest::mouseMove(view, QPoint(100, 100));
  EXPECT_FALSE(view->SelectionIsDrawn());
  EXPECT_EQ(DifferentPixels(view->GetSurface(), picture), 0);

  QTest::mouseMove(view, QPoint(150, 120));
  ASSERT_TRUE(view->SelectionIsDrawn());
  const TRect first{75, 70, 225, 170};
  EXPECT_EQ(view->GetSelection(), first);
  EXPECT_EQ(DifferentPixels(view->GetSurface(), WithDottedOutline(picture, first, 0x13579B)), 0);
  EXPECT_EQ(view->GetSurface().Get(75, 70), 0x13579Bu);
  EXPECT_EQ(view->GetSurface().Get(76, 70), picture.Get(76, 70));

  // The next move erases the old outline from the picture and draws the new one.
  QTest::mouseMove(view, QPoint(151, 133));
  const TRect second{76, 83, 226, 183};
  EXPECT_EQ(view->GetSelection(), second);
  EXPECT_EQ(DifferentPixels(view->GetSurface(), WithDottedOutline(picture, second, 0x13579B)),
            0);

  // Outside the zoom modes moves draw nothing.
  child->SetMouseMode(mmDrawPoints);
  const TPixelBuffer before = view->GetSurface();
  QTest::mouseMove(view, QPoint(20, 30));
  EXPECT_EQ(DifferentPixels(view->GetSurface(), before), 0);
}

TEST_F(ViewWave, RightClickSwitchesTheZoomDirectionOnlyAndTheCursorFollows) {
  const std::pair<TMouseMode, TMouseMode> cases[] = {
      {mmZoomIn, mmZoomOut},         {mmZoomOut, mmZoomIn}, {mmDrawPoints, mmDrawPoints},
      {mmCreateJulia, mmCreateJulia}, {mmNone, mmNone},
  };
  TMDIChildWave* child = AddWave(QuickJulia(), {}, "R", "/tmp/r.zlf");
  for (const auto& [before, after] : cases) {
    child->SetMouseMode(before);
    Click(child->GetView(), QPoint(30, 30), Qt::RightButton);
    EXPECT_EQ(child->GetMouseMode(), after);
    // The main window's check marks follow the view's request.
    EXPECT_EQ(Form->ZoomIn->isChecked(), after == mmZoomIn);
    EXPECT_EQ(Form->ZoomOut->isChecked(), after == mmZoomOut);
    const int cursorId = after == mmZoomIn    ? 4
                         : after == mmZoomOut  ? 5
                         : after == mmDrawPoints ? 1
                         : after == mmCreateJulia ? 6
                                                  : 0;
    EXPECT_EQ(TViewWave::CursorOfMode(after), cursorId);
    if (cursorId == 0) {
      EXPECT_EQ(child->GetView()->cursor().shape(), Qt::ArrowCursor);
    } else {
      EXPECT_EQ(child->GetView()->cursor().pixmap().cacheKey(),
                CursorById(cursorId).pixmap().cacheKey());
    }
  }
  // The area stays and nothing was started.
  EXPECT_EQ(child->GetParams().Left.GetDouble(), -1.5);
  EXPECT_FALSE(child->GetUnitFract()->Modified());
}

TEST_F(ViewWave, OrbitClicksDrawWhiteMarkersAndGroupedOrbitsYellowLinks) {
  TMDIChildWave* child = ComputedWave(QuickJulia(), {}, 400, 400);
  TViewWave* view = child->GetView();
  const TPixelBuffer picture = view->GetSurface();
  const uint32_t white = 0xFFFFFF, yellow = 0x00FFFF, black = 0x000000;
  ASSERT_NE(picture.Get(200, 200), yellow);

  child->SetMouseMode(mmDrawPoints);
  view->SetGroupPoints(true);
  // Plane points (-0.75, 0) and (0.75, 0), which map back to exactly these pixels.
  Click(view, QPoint(100, 200));
  Click(view, QPoint(300, 200));
  ASSERT_EQ(view->GetDrawPoints().Count(), 2);
  EXPECT_DOUBLE_EQ(view->GetDrawPoints().GetHead()->GetFirst()->X(), 0.75);
  EXPECT_DOUBLE_EQ(view->GetDrawPoints().GetHead()->GetFirst()->Y(), 0.0);
  const TPixelBuffer& s = view->GetSurface();
  for (const int x : {100, 300}) {
    EXPECT_EQ(s.Get(x - 3, 200), white);
    EXPECT_EQ(s.Get(x + 3, 200), white);
    EXPECT_EQ(s.Get(x, 197), white);
    EXPECT_EQ(s.Get(x, 203), white);
    EXPECT_EQ(s.Get(x - 2, 200), black);
    EXPECT_EQ(s.Get(x + 2, 200), black);
  }
  // Not joined yet.
  EXPECT_EQ(s.Get(200, 200), picture.Get(200, 200));

  view->ToggleGroupPoints();
  EXPECT_FALSE(view->GetGroupPoints());
  for (const int x : {110, 200, 290}) EXPECT_EQ(s.Get(x, 200), yellow) << x;
  EXPECT_EQ(s.Get(200, 199), picture.Get(200, 199));

  // The next step of each orbit: a white line from the clicked point to its image.
  view->AddNextPoints();
  EXPECT_EQ(view->GetDrawPoints().GetHead()->Length(), 2);
  // (-0.75, 0) goes to z^2 + c = (0.439939, -0.744862), pixel (258, 299).
  const TDrawPoint* next = view->GetDrawPoints().GetHead()->GetNextOrbit()->GetFirst()->GetNext();
  ASSERT_NE(next, nullptr);
  EXPECT_NEAR(next->X(), 0.5625 - 0.122561, 1e-12);
  int whiteOnTheWay = 0;
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) whiteOnTheWay += s.Get(179 + dx, 249 + dy) == white;
  EXPECT_GT(whiteOnTheWay, 0);

  // Removing them brings the picture back.
  view->RemovePoints();
  EXPECT_TRUE(view->GetDrawPoints().Empty());
  ASSERT_TRUE(WaitForRepaint(view));
  EXPECT_EQ(DifferentPixels(view->GetSurface(), picture), 0);
}

TEST_F(ViewWave, OrbitsSurviveARecomputationAndAreDrawnAtItsEnd) {
  TMDIChildWave* child = AddWave(QuickJulia(), {}, "O", "/tmp/o.zlf");
  TViewWave* view = child->GetView();
  SetViewSize(child, 400, 400);
  child->SetMouseMode(mmDrawPoints);
  Click(view, QPoint(300, 200));
  child->SetMouseMode(mmZoomIn);
  // Zoom in at the centre: the orbit at (0.75, 0) moves to the right edge, pixel 400.
  Click(view, QPoint(200, 200));
  ASSERT_TRUE(WaitForPicture(view));
  EXPECT_EQ(view->GetDrawPoints().Count(), 1);
  EXPECT_EQ(view->GetSurface().Get(397, 200), 0xFFFFFFu);
  EXPECT_EQ(view->GetSurface().Get(398, 200), 0x000000u);
}

TEST_F(ViewWave, ZoomGoesOnPastTheDoublesForTheDeepFormulasWithAPictureOfManyColours) {
  // Around the Misiurewicz point c = i, a boundary point at every scale; no cycle test, which
  // would fill a picture at a boundary point with one colour.
  const double half = std::ldexp(1.0, -30);
  TFractProps p = WithArea(QuickJulia(), -half, half, 1 + half, 1 - half);
  p.MapField = TKernelParams::MapC;
  p.XResolution.SetInt(64);
  p.YResolution.SetInt(64);
  // Short orbits: doubles stay right down to 2^-40 (longer ones go deep sooner).
  p.MaxDepth.SetInt(500);
  p.MaxCycle.SetInt(0);
  TMDIChildWave* child = AddWave(p, {}, "Deep", "/tmp/deep.zlf");
  SetViewSize(child, 64, 64);
  child->StartComputation();
  child->SetMouseMode(mmZoomIn);
  TViewWave* view = child->GetView();
  view->SelectionSize = 0.1;
  ASSERT_FALSE(child->GetParams().UsesDeepKernel());
  // Each click narrows the view some ten times: twelve go from 2e-9 to below 1e-20, where
  // neighbouring doubles near 1 are 2e-16 apart.
  // Presses alone (clicks this close together would make double clicks) on the pixel where i
  // is, as one follows a point by eye: the bounds of each view are rounded to a small part of
  // its pixels, so a view does not stay centred on a point by itself.
  const auto press = [view, child] {
    const TDeepParams area = child->GetParams().DeepParams();
    TMpfr left(64), right(64), top(64), bottom(64);
    std::string message;
    ASSERT_TRUE(ParseDecimal(area.Left, left, message) && ParseDecimal(area.Right, right, message) &&
                ParseDecimal(area.Top, top, message) && ParseDecimal(area.Bottom, bottom, message));
    const mpfr_prec_t bits = 4000;
    TMpfr x(bits), y(bits), extent(bits);
    mpfr_sub(extent.Get(), right.Get(), left.Get(), MPFR_RNDN);
    mpfr_neg(x.Get(), left.Get(), MPFR_RNDN);
    mpfr_mul_si(x.Get(), x.Get(), 64, MPFR_RNDN);
    mpfr_div(x.Get(), x.Get(), extent.Get(), MPFR_RNDN);
    mpfr_sub(extent.Get(), bottom.Get(), top.Get(), MPFR_RNDN);
    mpfr_sub_si(y.Get(), top.Get(), 1, MPFR_RNDN);
    mpfr_mul_si(y.Get(), y.Get(), -64, MPFR_RNDN);
    mpfr_div(y.Get(), y.Get(), extent.Get(), MPFR_RNDN);
    const QPoint at(static_cast<int>(x.ToDouble()), static_cast<int>(y.ToDouble()));
    QMouseEvent event(QEvent::MouseButtonPress, QPointF(at), QPointF(view->mapToGlobal(at)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &event);
  };
  for (int click = 0; click < 11; ++click) press();
  const std::string eleventh = child->GetParams().DeepParams().Left;
  press();
  const TFractProps deep = child->GetParams();
  ASSERT_TRUE(deep.UsesDeepKernel());
  EXPECT_EQ(deep.Top.GetDouble(), deep.Bottom.GetDouble());
  EXPECT_TRUE(child->GetUnitFract()->Modified());
  ASSERT_TRUE(WaitForPicture(view));
  std::set<uint32_t> colours;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) colours.insert(view->GetSurface().Get(x, y));
  EXPECT_GT(colours.size(), 1u);

  // The status tells the pixels apart and gives the width.
  const std::string here = PlanePointText(deep, 10, 20, 64, 64);
  const std::string next = PlanePointText(deep, 11, 21, 64, 64);
  EXPECT_NE(here.substr(0, here.find(',')), next.substr(0, next.find(',')));
  EXPECT_NE(here.substr(here.find(',')), next.substr(next.find(',')));
  EXPECT_NE(here.find(" (width "), std::string::npos) << here;
  EXPECT_NE(here.find("e-2"), std::string::npos) << here;

  // Undo goes back to the area of the click before, in full.
  Form->Undo->trigger();
  QApplication::processEvents();
  EXPECT_EQ(child->GetParams().DeepParams().Left, eleventh);
  EXPECT_TRUE(child->GetParams().UsesDeepKernel());

  // Orbit clicks in the deep view: each marker stands on its own pixel, though the doubles of
  // the clicked points cannot tell the view's pixels apart.
  ASSERT_TRUE(WaitForPicture(view));
  child->SetMouseMode(mmDrawPoints);
  const QPoint clicks[] = {{12, 20}, {50, 41}};
  for (const QPoint& at : clicks) Click(view, at);
  ASSERT_EQ(view->GetDrawPoints().Count(), 2);
  EXPECT_NE(view->GetDrawPoints().GetHead()->GetDeep(), nullptr);
  const TPixelBuffer& s = view->GetSurface();
  for (const QPoint& at : clicks) {
    SCOPED_TRACE(testing::Message() << at.x() << "," << at.y());
    for (const QPoint& arm : {QPoint(-3, 0), QPoint(3, 0), QPoint(0, -3), QPoint(0, 3)})
      EXPECT_EQ(s.Get(at.x() + arm.x(), at.y() + arm.y()), 0xFFFFFFu);
    EXPECT_EQ(s.Get(at.x() + 2, at.y()), 0x000000u);
  }
  child->CloseWithoutQuery();
}

class TNoColumnSink : public TColumnSink {
public:
  void ColumnFinished(int) override {}
};

// The view's picture of a deep view, computed again by the deep kernel alone: cells that differ.
int DifferentFromDeepKernel(const TMDIChildWave* child) {
  const TDeepParams p = child->GetParams().DeepParams();
  std::string error;
  auto plan = TDeepPlan::Create(p, error);
  EXPECT_TRUE(plan) << error;
  if (!plan) return -1;
  TFractArray array(p.XResolution, p.YResolution);
  TNoColumnSink sink;
  EXPECT_TRUE(ComputeDeepBandColumns(*plan, array, {0, 0, p.XResolution, p.YResolution}, nullptr,
                                     sink, BestKernelIsa()));
  const TFractArray* shown = child->GetView()->GetFractArray();
  if (!shown || shown->Width != array.Width || shown->Height != array.Height) return -1;
  int different = 0;
  for (int x = 0; x < array.Width; ++x)
    for (int y = 0; y < array.Height; ++y)
      different += shown->GetDepth(x, y) != array.GetDepth(x, y) ||
                   shown->GetCycle(x, y) != array.GetCycle(x, y);
  return different;
}

TEST_F(ViewWave, AViewOneUnitOfTheLastPlaceWideZoomsOnInFullPrecision) {
  // exp(z)-z-1+c over one unit of the last place each way: no double lies between the bounds,
  // so the view is kept in decimals, and zooms that doubles would round away are made.
  const double left = -0.7, bottom = 0.3;
  TFractProps p = WithArea(QuickJulia(), left, std::nextafter(left, 1.0),
                           std::nextafter(bottom, 1.0), bottom);
  p.Formula = formula::Exp;
  p.MapField = TKernelParams::MapC;
  ASSERT_TRUE(p.UsesDeepKernel());
  TMDIChildWave* child = ComputedWave(p, {}, 400, 400, "U", "/tmp/u.zlf");
  TViewWave* view = child->GetView();
  child->ClearModified();
  // Nine tenths of the view, then half of it.
  for (const auto& [mode, size] : {std::pair{mmZoomOut, 0.9}, std::pair{mmZoomIn, 0.5}}) {
    SCOPED_TRACE(static_cast<int>(mode));
    Form->SetStatusText(0, "");
    const std::string before = Xml(child->GetParams());
    child->SetMouseMode(mode);
    view->SelectionSize = size;
    Press(view, QPoint(200, 200));
    EXPECT_NE(Xml(child->GetParams()), before);
    EXPECT_TRUE(child->GetParams().UsesDeepKernel());
    EXPECT_EQ(Form->StatusPanel(0)->text().toStdString(), "");
    EXPECT_TRUE(child->GetUnitFract()->Modified());
  }
  EXPECT_EQ(view->GetHistory().UndoCount(), 2u);
  ASSERT_TRUE(WaitForPicture(view));
  EXPECT_EQ(DifferentFromDeepKernel(child), 0);
  // Undo takes both back.
  Form->Undo->trigger();
  Form->Undo->trigger();
  EXPECT_EQ(Xml(child->GetParams()), Xml(p));
  ASSERT_TRUE(WaitForPicture(view));
}

TEST_F(ViewWave, EveryFormulaZoomsOnPastThePrecisionOfDoubles) {
  const auto widthOf = [](const TFractProps& q) {
    return q.Right.GetDouble() - q.Left.GetDouble();
  };
  // z^n + c with N = 2 around c = i, and sin(z) + c around a point of its boundary.
  TFractProps zn = WithArea(QuickJulia(), -0.5, 0.5, 1.5, 0.5);
  zn.Formula = formula::ZN;
  zn.N.SetInt(2);
  const double re = 0.3623578844272726, im = 0.6276222663512072;
  TFractProps sine = WithArea(QuickJulia(), re - 0.5, re + 0.5, im + 0.5, im - 0.5);
  sine.Formula = formula::SinPlusC;
  sine.MaxDepth.SetInt(1000);
  for (TFractProps p : {zn, sine}) {
    SCOPED_TRACE(Formulas[p.Formula].Identifier);
    p.MapField = TKernelParams::MapC;
    p.MaxCycle.SetInt(0);
    p.XResolution.SetInt(100);
    p.YResolution.SetInt(100);
    ASSERT_TRUE(DeepKernelSupports(p.Formula));
    TMDIChildWave* child = ComputedWave(p, {}, 100, 100, "N", "/tmp/n.zlf");
    TViewWave* view = child->GetView();
    child->SetMouseMode(mmZoomIn);
    view->SelectionSize = 0.1;
    QLabel* status = Form->StatusPanel(0);
    status->clear();
    // Fifteen presses, each ten times narrower, from a width of 1 to 1e-15: every one is made.
    for (int press = 0; press < 15; ++press) {
      const TFractProps before = child->GetParams();
      Press(view, QPoint(50, 50));
      ASSERT_TRUE(status->text().isEmpty()) << press << ": " << status->text().toStdString();
      if (!before.UsesDeepKernel()) {
        EXPECT_NEAR(widthOf(child->GetParams()) / widthOf(before), 0.1, 1e-6);
      }
    }
    EXPECT_EQ(view->GetHistory().UndoCount(), 15u);
    const TFractProps deep = child->GetParams();
    ASSERT_TRUE(deep.UsesDeepKernel());
    ASSERT_TRUE(WaitForPicture(view));
    // The picture is the deep kernel's, its points told apart rather than in blocks.
    EXPECT_EQ(DifferentFromDeepKernel(child), 0);
    const TFractArray* array = view->GetFractArray();
    std::set<float> depths;
    for (int x = 0; x < array->Width; ++x)
      for (int y = 0; y < array->Height; ++y) depths.insert(array->GetDepth(x, y));
    EXPECT_GT(depths.size(), 20u);
    child->CloseWithoutQuery();
  }
}

// A file can hold an area past what the double kernels tell apart for a formula the deep
// kernel does not compute: its picture is flat, and the status bar says why, as a zoom there
// would.
// A file may hold a deep area for any formula: it opens and is computed by the deep kernel,
// without the message of an area too small for its formula.
TEST_F(ViewWave, DeepAreasOfEveryFormulaOpenDeep) {
  const std::string zeros(49, '0');
  TFractProps deep = QuickJulia();
  std::string error;
  ASSERT_TRUE(deep.SetDeepArea("-0." + zeros + "1", "1." + zeros + "1", "0." + zeros + "2",
                               "1", error))
      << error;
  TFractProps deepExp = deep;
  deepExp.Formula = formula::Exp;
  const QString tooSmall = QString::fromLatin1(TViewWave::AreaTooSmallForFormula)
                               .arg(QString::fromStdString(DeepZoomFormulaList()));
  for (const TFractProps& params : {deepExp, deep}) {
    SCOPED_TRACE(Formulas[params.Formula].Identifier);
    ASSERT_TRUE(params.UsesDeepKernel());
    Form->SetStatusText(0, QString());
    TMDIChildWave* child = ComputedWave(params);
    EXPECT_FALSE(child->GetView()->AreaTooSmall());
    EXPECT_NE(Form->StatusPanel(0)->text(), tooSmall);
    EXPECT_EQ(DifferentFromDeepKernel(child), 0);
    child->CloseWithoutQuery();
    QApplication::processEvents();
  }
}
