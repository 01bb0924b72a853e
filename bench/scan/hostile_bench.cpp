// Scanning files built to make the finder work hard, against a file of noise of the same size,
// all held in memory: tens of thousands of headers whose picture data claims to run on for
// megabytes, and a chain of tiny chunks that each hold a header. Each rate should stay within a
// small factor of the noise's; before the finder bounded its work per header, the first read the
// rest of the file once per header and the second walked it.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "finder.h"
#include "imagbuilder.h"

namespace {

constexpr std::size_t kFileBytes = std::size_t{4} << 20;

Bytes repeated(const Bytes& unit) {
  Bytes file;
  while (file.size() + unit.size() <= kFileBytes)
    file.insert(file.end(), unit.begin(), unit.end());
  file.resize(kFileBytes);
  return file;
}

Bytes noise() {
  std::mt19937 random(1);
  Bytes file(kFileBytes);
  for (auto& byte : file)
    byte = static_cast<std::uint8_t>(random() % 251);
  return file;
}

Bytes hugeData() {
  return repeated(ImagBuilder::form()
                      .ihdr(ImagHeader::of(4, 0, 4))  // refused: no width
                      .chunkWithLength("IDAT", 0x7FFFFFF0, {})
                      .bytes());
}

// "abcd" around a FORM header whose first chunk ends where the next "abcd" begins.
Bytes chunkChain() {
  const char unit[] =
      "abcd\0\0\0\x14"
      "FORM\0\0\0\x08IMAG"
      "xxxx\0\0\0\0";
  return repeated(Bytes(unit, unit + sizeof unit - 1));
}

void scanInMemory(benchmark::State& state, const Bytes& file) {
  const ScanSource source{static_cast<std::int64_t>(file.size()),
                          [&](std::int64_t at, std::uint8_t* into, std::int64_t n) {
                            n = std::min(n, static_cast<std::int64_t>(file.size()) - at);
                            std::memcpy(into, file.data() + at, static_cast<std::size_t>(n));
                            return n;
                          }};
  for (auto _ : state) {
    int found = 0;
    scanSource(source, SectorLayout::plain, [&](const FoundPicture&, ByteView) {
      ++found;
      return true;
    });
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.size()));
}

void BM_Noise(benchmark::State& state) {
  static const Bytes file = noise();
  scanInMemory(state, file);
}

void BM_HeadersWithHugeData(benchmark::State& state) {
  static const Bytes file = hugeData();
  scanInMemory(state, file);
}

void BM_ChainOfTinyChunks(benchmark::State& state) {
  static const Bytes file = chunkChain();
  scanInMemory(state, file);
}

BENCHMARK(BM_Noise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeadersWithHugeData)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChainOfTinyChunks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
