// Series for the apparent longitudes of the Sun and the Moon.
#include <cmath>
#include <numbers>

#include "almanac/vrelDate.h"
#include "platform/text/SysUtils.h"

namespace {

struct Term {
  double Amplitude;  // degrees
  double Phase;      // degrees
  double Rate;       // degrees per Julian year
};

// Term 1's amplitude also falls by 0.00005 degrees a year.
constexpr Term kSun[19] = {
    {1.9159, 356.531, 359.991}, {0.02, 353.06, 719.981},    {-0.0048, 248.64, -19.341},
    {0.002, 285.0, 329.64},     {0.0018, 334.2, -4452.67},  {0.0018, 293.7, -0.2},
    {0.0015, 242.4, 450.37},    {0.0013, 211.1, 225.18},    {0.0008, 208.0, 659.29},
    {0.0007, 53.5, 90.38},      {0.0007, 12.1, -30.35},     {0.0006, 239.1, 337.18},
    {0.0005, 10.1, -1.5},       {0.0005, 99.1, -22.81},     {0.0004, 264.8, 315.56},
    {0.0004, 233.8, 299.3},     {-0.0004, 198.1, 720.02},   {0.0003, 349.6, 1079.97},
    {0.0003, 241.2, -44.43}};

constexpr Term kMoonCorrection[4] = {
    {0.004, 93.8, -1.33}, {0.002, 248.6, -19.34}, {0.0006, 66.0, 0.2}, {0.0006, 249.0, -19.3}};

// Term 1's phase also takes the correction above.
constexpr Term kMoon[63] = {
    {6.2887, 338.915, 4771.9886}, {1.274, 107.248, -4133.3536}, {0.6583, 51.668, 8905.3422},
    {0.2136, 317.831, 9543.9773}, {0.1856, 176.531, 359.9905},  {0.1143, 292.463, 9664.0404},
    {0.0588, 86.16, 638.635},     {0.0572, 103.78, -3773.363},  {0.0533, 30.58, 13677.331},
    {0.0459, 124.86, -8545.352},  {0.041, 342.38, 4411.998},    {0.0348, 25.83, 4452.671},
    {0.0305, 155.45, 5131.979},   {0.0153, 240.79, 758.698},    {0.0125, 271.38, 14436.029},
    {0.011, 226.45, -4892.052},   {0.0107, 55.58, -13038.696},  {0.01, 296.75, 14315.966},
    {0.0085, 34.5, -8266.71},     {0.0079, 290.7, -4493.34},    {0.0068, 228.2, 9265.33},
    {0.0052, 133.1, 319.32},      {0.005, 202.4, 4812.66},      {0.0048, 68.6, -19.34},
    {0.004, 34.1, 13317.34},      {0.004, 9.5, 18449.32},       {0.004, 93.8, -1.33},
    {0.0039, 103.3, 17810.68},    {0.0037, 65.1, 5410.62},      {0.0027, 321.3, 9183.99},
    {0.0026, 174.8, -13797.39},   {0.0024, 82.7, 998.63},       {0.0024, 4.7, 9224.66},
    {0.0022, 121.4, -8185.36},    {0.0021, 134.4, 9903.97},     {0.0021, 173.1, 719.98},
    {0.0021, 100.3, -3413.37},    {0.002, 248.6, -19.34},       {0.0018, 98.1, 4013.29},
    {0.0016, 344.1, 18569.38},    {0.0012, 52.1, -12678.71},    {0.0011, 250.3, 19208.02},
    {0.0009, 81.0, -8586.0},      {0.0008, 207.0, 14037.3},     {0.0008, 31.0, -7906.7},
    {0.0007, 346.0, 4052.0},      {0.0007, 294.0, -4853.3},     {0.0007, 90.0, 278.6},
    {0.0006, 237.0, 1118.7},      {0.0005, 82.0, 22582.7},      {0.0005, 276.0, 19088.0},
    {0.0005, 73.0, -17450.7},     {0.0005, 112.0, 5091.3},      {0.0004, 116.0, -398.7},
    {0.0004, 25.0, -120.1},       {0.0004, 181.0, 9584.7},      {0.0004, 18.0, 720.0},
    {0.0003, 60.0, -3814.0},      {0.0003, 13.0, -3494.7},      {0.0003, 13.0, 18089.3},
    {0.0003, 152.0, 5492.0},      {0.0003, 317.0, -40.7},       {0.0003, 348.0, 23221.3}};

double SinDegrees(double degrees) { return std::sin(degrees * std::numbers::pi / 180); }

// Brings a difference of longitudes into -180 (inclusive) to 180 (exclusive).
double Wrap180(double d) {
  while (d >= 180) d -= 360;
  while (d < -180) d += 360;
  return d;
}

}  // namespace

double Talmanac::NormalizeDegrees(double x) {
  // fmod gives exactly what repeated steps of 360 give (each step is exact for
  // the values the series produce), without thousands of steps for the Moon.
  if (x >= 360) x = std::fmod(x, 360.0);
  if (x < 0) {
    x = std::fmod(x, 360.0) + 0.0;
    if (x < 0) x += 360;
  }
  return x;
}

double Talmanac::TimeArgument(TDateTime x) {
  const TDateTime universal = x - 0.375;
  int32_t year, month, day, hour, minute, second, millisecond;
  DecodeDate(universal, year, month, day);
  DecodeTime(universal, hour, minute, second, millisecond);
  const double q = (year - 1900) / 4.0;
  const double f = q - Trunc(q);
  const int64_t a = Trunc(1461 * q);
  const int64_t b = Trunc((month + 7) / 10.0);
  const int64_t c = Trunc(1 - f);
  const int64_t g = Trunc((month + 4.4) * 0.44);
  int64_t e = 31 * month + a + day + (b - 1) * c - b * g - 27424;
  if (year <= 1899 || (year == 1900 && month < 3)) ++e;
  if (year >= 2101 || (year == 2100 && month >= 3)) --e;
  return (static_cast<double>(e) + hour / 24.0) / 365.25;
}

double Talmanac::SolarLongitude(TDateTime x) {
  const double t = TimeArgument(x);
  double longitude = 279.0358 + 360.00769 * t;
  for (int i = 0; i < 19; ++i) {
    const Term& term = kSun[i];
    const double amplitude = i == 0 ? term.Amplitude - 0.00005 * t : term.Amplitude;
    longitude += amplitude * SinDegrees(term.Phase + term.Rate * t);
  }
  return NormalizeDegrees(longitude);
}

double Talmanac::LunarLongitude(TDateTime x) {
  const double t = TimeArgument(x);
  const double tm = t + (1.43 + 0.0317 * t) * 1e-6;
  double correction = 0;
  for (const Term& term : kMoonCorrection) correction += term.Amplitude * SinDegrees(term.Phase + term.Rate * tm);
  correction = NormalizeDegrees(correction);
  double longitude = 124.8754 + 4812.67881 * tm;
  for (int i = 0; i < 63; ++i) {
    const Term& term = kMoon[i];
    const double phase = i == 0 ? term.Phase + correction : term.Phase;
    longitude += term.Amplitude * SinDegrees(phase + term.Rate * tm);
  }
  return NormalizeDegrees(longitude);
}

double Talmanac::MoonPhase(TDateTime x) {
  double phase = (LunarLongitude(x) - SolarLongitude(x)) * 15 / 180;
  if (phase < 0) phase += 30;
  return phase;
}

TDateTime Talmanac::DayOfLongitude(double longitude, TDateTime start) {
  const double l0 = SolarLongitude(start);
  const double l1 = SolarLongitude(start + 1);
  return start + Wrap180(longitude - l0) / Wrap180(l1 - l0);
}
