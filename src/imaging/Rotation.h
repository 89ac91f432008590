#pragma once
// Rotation of fixed-point positions (8 fraction bits) used by the chime renderer.
#include "platform/Types.h"

// The same angle in 0 to under 360 degrees. Angles beyond a few hundred turns
// are reduced with fmod first, and a non-finite angle gives 0, so no input loops for long.
double NormalizeDegrees(double x);

// point rotated about centre by angle degrees; a positive angle moves a point
// straight below the centre to the right.
TPoint RotatePoint(TPoint centre, TPoint point, double angle);
