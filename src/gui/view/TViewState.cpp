#include "gui/view/TViewState.h"

#include <utility>

#include "core/TXMLComplexElement.h"

namespace {

template <class TRecord>
std::string XmlText(const TRecord& record) {
  std::string text;
  record.WriteXML()->Write(text, 0);
  return text;
}

}  // namespace

TViewState::TViewState(const TFractProps& params, const TVoldViewProps& viewProps,
                       std::vector<TOrbitStep> orbits, bool groupPoints, bool unchanged)
    : FractProps(params),
      Colouring(viewProps),
      OrbitSteps(std::move(orbits)),
      Group(groupPoints),
      DocumentUnchanged(unchanged),
      ParamsKey(XmlText(params) + static_cast<char>('0' + params.ColorMode)),
      ViewKey(XmlText(viewProps)) {}
