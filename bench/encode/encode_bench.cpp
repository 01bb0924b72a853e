// DYUV encoding of a 384 x 280 photograph for the format's own layout. Before timing, the result
// is decoded and its PSNR against the photograph printed; a result under 30 dB stops the run.
// Target: 50 ms or less per picture.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "accurate.h"
#include "accuratedyuvencoder.h"
#include "testchart.h"

namespace {

constexpr int kWidth = 384, kHeight = 280;
constexpr int kGrain = 6;  // film grain: a harder case for the search than a smooth picture

double psnr(const RgbPicture& want, const std::vector<std::uint8_t>& rgb) {
  double sum = 0;
  for (std::size_t i = 0; i < want.pixels.size(); ++i) {
    const Rgb& c = want.pixels[i];
    const int d[3] = {c.r - rgb[3 * i], c.g - rgb[3 * i + 1], c.b - rgb[3 * i + 2]};
    for (const int e : d)
      sum += e * e;
  }
  return 10 * std::log10(255.0 * 255.0 / (sum / (3.0 * want.pixels.size())));
}

void checkFirst(const RgbPicture& photo) {
  const std::vector<DyuvStart> starts = dyuvLineStarts(photo);
  ImagHeader header;
  header.width = header.lineSize = kWidth, header.height = kHeight, header.model = 3;
  header.dyuvKind = 1;
  Bytes yuvs;
  for (const DyuvStart& s : starts)
    yuvs.insert(yuvs.end(), {s.y, s.u, s.v});
  const Bytes file = ImagBuilder::form()
                         .ihdr(header)
                         .chunk("YUVS", yuvs)
                         .idat(encodeDyuvPairs(photo, starts))
                         .bytes();
  AccuratePicture picture;
  if (decodeAccurate(file, {}, picture) != DecodeStatus::ok) std::abort();
  const double db = psnr(photo, picture.rgb);
  std::printf("DYUV round trip: %.1f dB PSNR (at least 30 wanted)\n", db);
  if (db < 30) std::abort();
}

void BM_EncodeDyuvPhotograph(benchmark::State& state) {
  const RgbPicture photo = photograph(kWidth, kHeight, kGrain);
  const std::vector<DyuvStart> starts = dyuvLineStarts(photo);
  for (auto _ : state)
    benchmark::DoNotOptimize(encodeDyuvPairs(photo, starts));
}
BENCHMARK(BM_EncodeDyuvPhotograph)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  checkFirst(photograph(kWidth, kHeight, kGrain));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
