#include "engine/TFormula.h"

double TFormula::EscapeFactor(int32_t n) const {
  // 1 / 2 and 1 / 3 divide here as they always did, so the factors keep their bits.
  return 1.0 / (EscapeDivisor == DivideByN ? n : EscapeDivisor);
}
