// The fractal window's parts of the project file and of the fractal file.
#include "core/TXMLComplexElement.h"
#include "core/assertions.h"
#include "core/unitInteger.h"
#include "engine/TFractProps.h"
#include "document/TUnitFract.h"
#include "gui/TMDIChildWave.h"
#include "render/TVoldViewProps.h"
#include "document/fractalfile.h"

void TMDIChildWave::AddWindowXML(TXMLComplexElement& parent) const {
  const std::string& name = UnitFract->GetName();
  if (!name.empty()) parent.AddText("Name", name);
  // A minimized or maximized window is stored with the place it returns to.
  const QRect g = (isMinimized() || isMaximized()) && NormalGeometry.isValid() ? NormalGeometry
                                                                               : geometry();
  unitInteger(g.x()).WriteXML(parent, "Left");
  unitInteger(g.y()).WriteXML(parent, "Top");
  unitInteger(g.width()).WriteXML(parent, "Width");
  unitInteger(g.height()).WriteXML(parent, "Height");
  if (isMinimized()) {
    parent.AddComplex("Minimized");
  } else if (isMaximized()) {
    parent.AddComplex("Maximized");
  } else {
    parent.AddComplex("Normal");
  }
}

bool TMDIChildWave::ReadWindowXML(const TXMLItem* first, const std::string& name,
                                  std::string& errorText, int& line, int& column) {
  UnitFract->SetName(name);
  struct TField {
    const char* Element;
    const char* Condition;
  };
  static const TField Fields[4] = {
      {"Left", "xmlLeft->GetElement() == \"Left\""},
      {"Top", "xmlTop->GetElement() == \"Top\""},
      {"Width", "xmlWidth->GetElement() == \"Width\""},
      {"Height", "xmlHeight->GetElement() == \"Height\""},
  };
  // The place is that of the normal window: a window shown maximized (as the frame does with
  // new windows while the active one is maximized) would take it as its maximized geometry.
  if (isVisible() && (isMaximized() || isMinimized())) showNormal();
  // The fields are applied together, once: two quick resizes leave the frame drawn at the
  // old width. A bad field still leaves the ones read before it applied.
  int place[4] = {x(), y(), width(), height()};
  const auto apply = [&] { setGeometry(place[0], place[1], place[2], place[3]); };
  const TXMLItem* item = first;
  for (int i = 0; i < 4; ++i) {
    ZASSERT_TEXT(item != nullptr && item->GetElement() == Fields[i].Element, Fields[i].Condition);
    unitInteger value;
    if (!value.ReadXML(item, errorText, line, column)) {
      apply();
      return false;
    }
    place[i] = value.GetInt();
    item = item->GetNext();
  }
  apply();
  ZASSERT_TEXT(item != nullptr && (item->GetElement() == "Minimized" ||
                                   item->GetElement() == "Maximized" ||
                                   item->GetElement() == "Normal"),
               "xmlWindowState != NULL");
  Qt::WindowStates state = Qt::WindowNoState;
  if (item->GetElement() == "Minimized") state = Qt::WindowMinimized;
  if (item->GetElement() == "Maximized") state = Qt::WindowMaximized;
  if (isVisible()) {
    if (state == Qt::WindowMinimized) {
      showMinimized();
    } else if (state == Qt::WindowMaximized) {
      showMaximized();
    } else {
      showNormal();
    }
  } else {
    // Applied when the window is shown.
    setWindowState(state);
  }
  ZASSERT_TEXT(item->GetNext() == nullptr, "xmlEmpty == NULL");
  return true;
}

void TMDIChildWave::AddViewXML(TXMLComplexElement& parent) const {
  ::AddViewXML(parent, GetView()->GetViewProps());
}

void TMDIChildWave::AddFractalXML(TXMLComplexElement& parent) const {
  ::AddFractalXML(parent, GetView()->GetParams());
}

bool TMDIChildWave::ReadViewXML(const TXMLItem* viewElement, std::string& errorText, int& line,
                                int& column) {
  TVoldViewProps viewProps = GetViewProps();
  TFractProps params = GetParams();
  if (!::ReadViewXML(viewElement, viewProps, params, errorText, line, column)) return false;
  SetViewProps(viewProps);
  SetParams(params);
  return true;
}
