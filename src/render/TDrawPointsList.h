#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "engine/deep/TDeepParams.h"
#include "render/TStartDrawPoint.h"
#include "render/painting.h"

class TOrbitCanvas;
struct TKernelParams;

/// The orbits a user follows by hand in one view, newest first, in plane coordinates. They
/// live only in memory. Owns every orbit and point.
class TDrawPointsList {
public:
  /// Colours of the drawing (0x00BBGGRR).
  static constexpr uint32_t RingColour = 0x00FFFF;
  static constexpr uint32_t OrbitColour = 0xFFFFFF;
  static constexpr uint32_t MarkerInnerColour = 0x000000;

  TDrawPointsList();
  ~TDrawPointsList();
  TDrawPointsList(const TDrawPointsList&) = delete;
  TDrawPointsList& operator=(const TDrawPointsList&) = delete;

  /// Starts a new orbit at the plane point (x, y) and makes it the newest. Its c is (x, y) when
  /// `params` maps the pixel to c, else the parameters' c; d likewise. `mark` asks for it to be
  /// joined by the next Group(). Returns the orbit (owned by the list).
  TStartDrawPoint* AddOrbit(double x, double y, bool mark, const TKernelParams& params);
  /// The same with the orbit's c and d given (an orbit brought back as it was).
  TStartDrawPoint* AddOrbit(double x, double y, TComplex c, TComplex d, bool mark);
  /// Starts an orbit at a point of a deep view given in full as plain decimal texts, iterated
  /// in MPFR (TDeepOrbit); c and d as AddOrbit takes them, the point rounded to doubles. Null
  /// (and no orbit) when a text is not a plain decimal or the point is beyond the doubles.
  TStartDrawPoint* AddDeepOrbit(const std::string& re, const std::string& im, bool mark,
                                const TKernelParams& params);
  /// Appends one iterate to every orbit with the formula and exponents of `params`; an orbit
  /// whose step overflows or is invalid gets no point this time.
  void AddNextPoints(const TKernelParams& params);
  /// Joins the newest orbit and the unbroken run of older marked orbits into a ring, each
  /// linked to the next older one and the oldest back to the newest (no link for a ring of one),
  /// and clears their marks.
  void Group();
  /// Deletes every orbit.
  void Clear();

  /// Draws every orbit over the client rectangle `client` of a view showing the plane area of
  /// `area` (Left, Right, Top, Bottom): the yellow ring links, the white orbit lines, and a
  /// marker on each point, the earlier points of an orbit over its later ones.
  /// With `deepArea` (the area of a deep view in full) the points are placed in MPFR: a deep
  /// orbit's by its start and offsets, another's by its exact doubles.
  void Draw(TOrbitCanvas& canvas, const TRect& client, const TKernelParams& area,
            const TDeepParams* deepArea = nullptr) const;

  /// The pixel that the plane point (x, y) maps to, truncated toward zero; far points are
  /// pinned to +-2^30 so that the arithmetic of a drawing cannot overflow.
  struct TPixel {
    int X, Y;
    bool operator==(const TPixel&) const = default;
  };
  static TPixel PixelOf(double x, double y, const TRect& client, const TKernelParams& area);

  /// The newest orbit, or null.
  TStartDrawPoint* GetHead() const { return Head.get(); }
  bool Empty() const { return Head == nullptr; }
  /// Number of orbits.
  int Count() const;

private:
  std::unique_ptr<TStartDrawPoint> Head;
};
