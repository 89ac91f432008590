// A change of year: the terms, months and holidays of a year; and reading the holiday table.
#include <benchmark/benchmark.h>

#include "almanac/vrelDate.h"
#include "platform/io/Resources.h"
#include "xml/TxmlList.h"

namespace {

void BM_EnsureYear(benchmark::State& state) {
  Talmanac almanac;
  int32_t year = 2000;
  for (auto _ : state) {
    almanac.SetDate(EncodeDate(year, 6, 1));
    almanac.EnsureYear();
    year = year == 2030 ? 2000 : year + 1;
    benchmark::DoNotOptimize(almanac.Terms().Count());
  }
}
BENCHMARK(BM_EnsureYear)->Unit(benchmark::kMicrosecond);

void BM_ParseHolidayTable(benchmark::State& state) {
  const AnsiString table = LoadResourceText("holidays");
  for (auto _ : state) {
    TxmlList root;
    root.LoadFromText(table);
    benchmark::DoNotOptimize(root.Count());
  }
}
BENCHMARK(BM_ParseHolidayTable)->Unit(benchmark::kMicrosecond);

}  // namespace
