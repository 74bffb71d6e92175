#include "engine/realfunctions.h"

#include <sleef.h>

double RealExp(double x) { return Sleef_cinz_expd1_u10purec(x); }

TSinCos RealSinCos(double x) {
  const Sleef_double_2 both = Sleef_cinz_sincosd1_u10purec(x);
  return {both.x, both.y};
}

double RealSinh(double x) { return Sleef_cinz_sinhd1_u10purec(x); }

double RealCosh(double x) { return Sleef_cinz_coshd1_u10purec(x); }

double RealPow(double x, double y) { return Sleef_cinz_powd1_u10purec(x, y); }

double RealAsin(double x) { return Sleef_cinz_asind1_u10purec(x); }

double RealExpm1(double x) { return Sleef_cinz_expm1d1_u10purec(x); }

double RealLog1p(double x) { return Sleef_cinz_log1pd1_u10purec(x); }

double RealAtan2(double y, double x) { return Sleef_cinz_atan2d1_u10purec(y, x); }
