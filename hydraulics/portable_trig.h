#pragma once

// The trigonometric functions with the same bits on every platform, for the sections whose
// outline has arcs (hydraulics/shape.h).
//
// Like portablePow they are built from +, −, ×, ÷ and √ on doubles alone, each rounded once,
// and call nothing in the C library: every function carries its result in double-double
// arithmetic (about 2^-100) and rounds it once, so it is within one unit in the last place of
// the exact value and in practice the correctly rounded one. Arguments of any size are
// reduced exactly, large ones against 1 280 bits of 2/π.
//
// Special operands follow C (C11 Annex F): sin, tan, asin and atan keep the sign of a zero;
// sin, cos and tan of an infinity are NaN; asin and acos beyond [−1, 1] are NaN; atan(±∞) is
// ±π/2 and atan2 takes the quadrant from the signs of both operands, zeros included.
//   portableSin(0.5) → 0.479425538604203, portableAcos(-1) → 3.141592653589793
//   portableAtan2(1, -1) → 2.356194490192345 (3π/4)

namespace lintavo {

double portableSin(double x);
double portableCos(double x);
double portableTan(double x);
double portableAsin(double x);
double portableAcos(double x);
double portableAtan(double x);
// The angle of the point (x, y) from the positive x axis, in (−π, π].
double portableAtan2(double y, double x);

// The same of an angle in degrees, reduced to within 45° of a multiple of 90° exactly before
// it becomes radians, so that portableSinDegrees(30) is 0.5 and portableTanDegrees(45) is 1.
double portableSinDegrees(double degrees);
double portableCosDegrees(double degrees);
double portableTanDegrees(double degrees);

// π/180 · degrees, rounded once.
//   radiansOfDegrees(180) → 3.141592653589793
double radiansOfDegrees(double degrees);

}  // namespace lintavo
