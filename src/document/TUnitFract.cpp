#include "document/TUnitFract.h"

#include "core/TErrorReport.h"
#include "core/TMessagePresenter.h"
#include "document/fractalfile.h"

TUnitFract::TUnitFract(std::string name, std::string fileName)
    : TUnit(KindFractal, std::move(name), std::move(fileName)) {}

void TUnitFract::MarkModified() {
  if (Loaded) ModifiedFlag = true;
}

void TUnitFract::ClearModified() {
  if (Loaded) ModifiedFlag = false;
}

bool TUnitFract::NeedsSave() const { return CanSaveFract() && (ModifiedFlag || HasNoFile()); }

bool TUnitFract::Save(const TStoredFractal& fractal) const {
  if (!NeedsSave()) return true;
  return SaveAs(GetFileName(), fractal);
}

bool TUnitFract::SaveAs(const std::string& path, const TStoredFractal& fractal) const {
  std::string errorText;
  if (!WriteFractalFile(path, fractal, errorText)) {
    ShowMessage("Cannot save Fractal File: " + errorText + ".", TErrorReport::TitleSaveError,
                TMsgIcon::Information);
    return false;
  }
  return true;
}

bool TUnitFract::Load(TStoredFractal& fractal, std::string& errorText) const {
  return ReadFractalFile(GetFileName(), fractal, errorText);
}

std::array<std::string, 6> TUnitFract::StatusTexts() const {
  std::string state;
  if (HasNoFile())
    state = "New";
  else if (NeedsSave())
    state = "Changed";
  return {"oningevuld", std::string("oningevuld") + " kHz", "8", "MO", "xyz", state};
}
