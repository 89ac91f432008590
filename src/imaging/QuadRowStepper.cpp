// Both widths are instantiated here, so the SSE2 stepping stays out of the header.
#include "imaging/QuadRowStepper.h"

#include <emmintrin.h>

template <typename T>
QuadRowStepper<T>::Quotient::Quotient(int64_t from, int64_t to, int64_t n) : dq((to - from) / n), dr((to - from) % n) {
  if (dr < 0) {
    dr += n;
    --dq;
  }
  // n * from - (to - from) = n * (from - dq) - dr: one division for both.
  q = from - dq - (dr != 0);
  r = dr != 0 ? n - dr : 0;
}

namespace {

// One step; the carry is a compare and a select, not a branch.
inline void Step(int64_t& q, int64_t& r, int64_t dq, int64_t dr, int64_t n) {
  const int64_t wrapped = r + (dr - n);
  const bool carry = wrapped >= 0;
  r = carry ? wrapped : wrapped + n;
  q += dq + carry;
}

inline void Step(__m128i& q, __m128i& r, __m128i dq, __m128i dr, __m128i n) {
  const __m128i wrapped = _mm_add_epi32(r, _mm_sub_epi32(dr, n));
  const __m128i carry = _mm_cmpgt_epi32(wrapped, _mm_set1_epi32(-1));  // all ones
  r = _mm_add_epi32(wrapped, _mm_andnot_si128(carry, n));
  q = _mm_sub_epi32(_mm_add_epi32(q, dq), carry);
}

// The floored quotient q with remainder r, truncated toward zero instead.
inline int64_t Truncated(int64_t q, int64_t r) { return q + ((q < 0) & (r != 0)); }

inline __m128i Truncated(__m128i q, __m128i r) {
  const __m128i zero = _mm_setzero_si128();
  return _mm_sub_epi32(q, _mm_andnot_si128(_mm_cmpeq_epi32(r, zero), _mm_cmpgt_epi32(zero, q)));
}

}  // namespace

template <typename T>
QuadRowStepper<T>::QuadRowStepper(const QuadGrid& g)
    : FGrid(g),
      FColumns(static_cast<size_t>(g.nx + 5) / 4 * 4),
      FLeftY(g.s00.y, g.s01.y, g.ny),
      FRightY(g.s10.y, g.s11.y, g.ny),
      FState(4 * FColumns) {
  T* const q = FState.data();
  T* const r = q + FColumns;
  T* const stepQ = r + FColumns;
  T* const stepR = stepQ + FColumns;
  Quotient topX(g.s00.x, g.s10.x, g.nx);
  Quotient bottomX(g.s01.x, g.s11.x, g.nx);
  for (size_t c = 0; c < static_cast<size_t>(g.nx + 2); ++c) {
    const int64_t top = Truncated(topX.q, topX.r), bottom = Truncated(bottomX.q, bottomX.r);
    const Quotient x(top, bottom, g.ny);
    q[c] = static_cast<T>(x.q);
    r[c] = static_cast<T>(x.r);
    stepQ[c] = static_cast<T>(x.dq);
    stepR[c] = static_cast<T>(x.dr);
    Step(topX.q, topX.r, topX.dq, topX.dr, g.nx);
    Step(bottomX.q, bottomX.r, bottomX.dq, bottomX.dr, g.nx);
  }
}

template <typename T>
void QuadRowStepper<T>::Next(T* xs, T* ys) {
  const int64_t nx = FGrid.nx, ny = FGrid.ny;
  const int64_t leftY = Truncated(FLeftY.q, FLeftY.r), rightY = Truncated(FRightY.q, FRightY.r);
  Step(FLeftY.q, FLeftY.r, FLeftY.dq, FLeftY.dr, ny);
  Step(FRightY.q, FRightY.r, FRightY.dq, FRightY.dr, ny);
  Quotient y(leftY, rightY, nx);
  // Everything in locals: the row's stores could otherwise alias the columns' state.
  T* const q = FState.data();
  T* const r = q + FColumns;
  const T* const stepQ = r + FColumns;
  const T* const stepR = stepQ + FColumns;
  if constexpr (sizeof(T) == 4) {
    // Four columns at a time, the row's y in four lanes that step four columns
    // each. k steps add k * dr < 4 * nx - r to the remainder: three carries at most.
    auto carries = [nx](int64_t t) { return (t >= nx) + (t >= 2 * nx) + (t >= 3 * nx); };
    alignas(16) int32_t laneQ[4], laneR[4];
    for (int64_t k = 0; k < 4; ++k) {
      const int64_t t = y.r + k * y.dr, carry = carries(t);
      laneQ[k] = static_cast<int32_t>(y.q + k * y.dq + carry);
      laneR[k] = static_cast<int32_t>(t - carry * nx);
    }
    const int64_t fourCarries = carries(4 * y.dr);
    __m128i yq = _mm_load_si128(reinterpret_cast<const __m128i*>(laneQ));
    __m128i yr = _mm_load_si128(reinterpret_cast<const __m128i*>(laneR));
    const __m128i yStepQ = _mm_set1_epi32(static_cast<int32_t>(4 * y.dq + fourCarries));
    const __m128i yStepR = _mm_set1_epi32(static_cast<int32_t>(4 * y.dr - fourCarries * nx));
    const __m128i nxs = _mm_set1_epi32(static_cast<int32_t>(nx)), nys = _mm_set1_epi32(static_cast<int32_t>(ny));
    const __m128i subX = _mm_set1_epi32(static_cast<int32_t>(FGrid.subX));
    const __m128i subY = _mm_set1_epi32(static_cast<int32_t>(FGrid.subY));
    auto at = [](const T* p) { return reinterpret_cast<const __m128i*>(p); };
    auto to = [](T* p) { return reinterpret_cast<__m128i*>(p); };
    for (size_t c = 0; c < FColumns; c += 4) {
      __m128i cq = _mm_loadu_si128(at(q + c)), cr = _mm_loadu_si128(at(r + c));
      _mm_storeu_si128(to(xs + c), _mm_sub_epi32(Truncated(cq, cr), subX));
      _mm_storeu_si128(to(ys + c), _mm_sub_epi32(Truncated(yq, yr), subY));
      Step(cq, cr, _mm_loadu_si128(at(stepQ + c)), _mm_loadu_si128(at(stepR + c)), nys);
      Step(yq, yr, yStepQ, yStepR, nxs);
      _mm_storeu_si128(to(q + c), cq);
      _mm_storeu_si128(to(r + c), cr);
    }
  } else {
    const int64_t subX = FGrid.subX, subY = FGrid.subY;
    int64_t yq = y.q, yr = y.r;
    for (size_t c = 0; c < static_cast<size_t>(nx + 2); ++c) {
      int64_t cq = q[c], cr = r[c];
      xs[c] = Truncated(cq, cr) - subX;
      ys[c] = Truncated(yq, yr) - subY;
      Step(cq, cr, stepQ[c], stepR[c], ny);
      Step(yq, yr, y.dq, y.dr, nx);
      q[c] = cq;
      r[c] = cr;
    }
  }
}

template class QuadRowStepper<int32_t>;
template class QuadRowStepper<int64_t>;
