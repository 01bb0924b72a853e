// Scanning a 700 MB image of 2352-byte sectors (Mode 2 Form 1) for pictures, against reading
// the same file in 1 MiB reads: both from the page cache, after one untimed pass that fills it.
// The image holds a picture every 7 MB, some spanning sectors; the scan must find them all
// before anything is timed. A second image of the same size is full of video sectors (Mode 2
// Form 2 records of DYUV pictures, 47 sectors each, an audio sector after every fourth), whose
// every record the scan must find. Prints each scan's speed as a share of the read's, and the
// target.
//
// The images are written to $TMPDIR (or /tmp) and removed at the end. PELMORA_SCAN_MB changes
// their size.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "finder.h"
#include "support/discimage.h"
#include "support/realtimesectors.h"

namespace {

constexpr std::int64_t kMiB = std::int64_t{1} << 20;
constexpr std::int64_t kPictureEvery = 7 * kMiB;  // of user data
constexpr double kTargetBytesPerSecond = 500e6;

std::int64_t imageMegabytes() {
  const char* size = std::getenv("PELMORA_SCAN_MB");
  return size != nullptr ? std::max(std::atoll(size), 16LL) : 700;
}

Bytes picture(int n) {
  ImagHeader header;
  header.model = 4;
  header.width = header.lineSize = 384;
  header.height = 280;
  return ImagBuilder::form()
      .plte({{1, 2, 3}, {4, 5, 6}})
      .ihdr(header)
      .idat(Bytes(384 * 280, static_cast<std::uint8_t>(n)))
      .bytes();
}

struct Image {
  std::string path;
  std::int64_t size = 0;
  int pictures = 0;

  explicit Image(bool video) {
    const auto folder = std::filesystem::temp_directory_path();
    path = (folder /
            ("pelmora-scan-bench-" + std::to_string(::getpid()) + (video ? "-video.bin" : ".bin")))
               .string();
    std::ofstream out(path, std::ios::binary);
    if (video) {
      writeVideo(out);
      return;
    }
    std::mt19937_64 random(1);
    const std::int64_t userBytes = imageMegabytes() * 1000 * 1000 / 2352 * 2048;
    constexpr std::int64_t kBlock = 512 * 2048;  // whole sectors at a time
    Bytes data;
    for (std::int64_t done = 0; done < userBytes; done += kBlock) {
      data.resize(kBlock);
      for (std::size_t i = 0; i < data.size(); i += 8) {
        const std::uint64_t r = random();
        std::memcpy(data.data() + i, &r, 8);
      }
      if (done % kPictureEvery == 0) {  // 1000 bytes in, so that it spans sectors
        const Bytes one = picture(pictures++);
        std::copy(one.begin(), one.end(), data.begin() + 1000);
      }
      const Bytes sectors = discImage(data, SectorFormat::mode2Form1);
      out.write(reinterpret_cast<const char*>(sectors.data()), std::streamsize(sectors.size()));
      size += static_cast<std::int64_t>(sectors.size());
    }
  }
  ~Image() { std::filesystem::remove(path); }

 private:
  // DYUV records of 384 x 280 (107,520 bytes: 47 Form 2 sectors), each of other data.
  void writeVideo(std::ofstream& out) {
    std::mt19937_64 random(2);
    const std::int64_t records = imageMegabytes() * 1000 * 1000 / (2352 * 59);
    for (std::int64_t n = 0; n < records; ++n) {
      Bytes data(384 * 280);
      for (std::size_t i = 0; i < data.size(); i += 8) {
        const std::uint64_t r = random();
        std::memcpy(data.data() + i, &r, 8);
      }
      SectorImage sectors(true);
      sectors.record(data, 0x05, static_cast<std::uint8_t>(n % 4));
      for (int audio = 0; audio < 12; ++audio)
        sectors.sector({1, 9, 0x64, 0}, {});
      out.write(reinterpret_cast<const char*>(sectors.bytes().data()),
                std::streamsize(sectors.bytes().size()));
      size += static_cast<std::int64_t>(sectors.bytes().size());
      ++pictures;
    }
  }
};

const Image& image() {
  static const Image built(false);
  return built;
}

const Image& videoImage() {
  static const Image built(true);
  return built;
}

int scan(const Image& file) {
  int found = 0;
  const DecodeStatus status = scanFile(file.path.c_str(), [&](const FoundPicture&, ByteView) {
    ++found;
    return true;
  });
  return status == DecodeStatus::ok ? found : -1;
}

std::int64_t readAll(const Image& file) {
  const int fd = ::open(file.path.c_str(), O_RDONLY);
  std::vector<std::uint8_t> buffer(kMiB);
  std::int64_t total = 0;
  for (ssize_t got; (got = ::read(fd, buffer.data(), buffer.size())) > 0;)
    total += got;
  ::close(fd);
  return total;
}

double readRate = 0, scanRate = 0, videoRate = 0;

void BM_ReadImage(benchmark::State& state) {
  const Image& file = image();
  readAll(file);  // into the page cache
  for (auto _ : state)
    benchmark::DoNotOptimize(readAll(file));
  state.SetBytesProcessed(state.iterations() * file.size);
}

void BM_ScanImage(benchmark::State& state) {
  const Image& file = image();
  if (scan(file) != file.pictures) {
    state.SkipWithError("the scan missed pictures");
    return;
  }
  for (auto _ : state)
    benchmark::DoNotOptimize(scan(file));
  state.SetBytesProcessed(state.iterations() * file.size);
}

void BM_ScanVideoImage(benchmark::State& state) {
  const Image& file = videoImage();
  readAll(file);  // into the page cache
  if (scan(file) != file.pictures) {
    state.SkipWithError("the scan missed real-time pictures");
    return;
  }
  for (auto _ : state)
    benchmark::DoNotOptimize(scan(file));
  state.SetBytesProcessed(state.iterations() * file.size);
}

BENCHMARK(BM_ReadImage)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_ScanImage)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_ScanVideoImage)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();

// Keeps each benchmark's rate for the summary.
class Reporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const auto rate = run.counters.find("bytes_per_second");
      if (rate == run.counters.end()) continue;
      const std::string& name = run.benchmark_name();
      (name.find("Video") != std::string::npos  ? videoRate
       : name.find("Scan") != std::string::npos ? scanRate
                                                : readRate) = rate->second;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  if (readRate > 0 && scanRate > 0) {
    std::printf(
        "scan: %.0f MB/s, %.2f x the read of the same image (%.0f MB/s); target %.0f MB/s\n",
        scanRate / 1e6, scanRate / readRate, readRate / 1e6, kTargetBytesPerSecond / 1e6);
  }
  if (readRate > 0 && videoRate > 0) {
    std::printf("scan of video sectors: %.0f MB/s, %.2f x the read; target %.0f MB/s\n",
                videoRate / 1e6, videoRate / readRate, kTargetBytesPerSecond / 1e6);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);  // the scan's windows, and 1 MiB blocks of the image's writing
  std::printf("peak memory of the process: %.1f MB for a %.0f MB image\n", usage.ru_maxrss / 1e3,
              static_cast<double>(image().size) / 1e6);
  benchmark::Shutdown();
  return 0;
}
