// The committed accurate-profile samples are what the generator writes, and decode whole.

#include "accuratecheck.h"
#include "accuratesamples.h"
#include "support/tempdir.h"

namespace {

Bytes committed(const std::string& name) {
  return readFile(std::string(SAMPLES_DIR) + "/" + name);
}

TEST(AccurateSamples, CommittedFilesEqualTheGeneratorsOutput) {
  for (const AccurateSample& sample : accurateSamples()) {
    EXPECT_EQ(committed(sample.name), sample.bytes) << sample.name << ": run writesamples .";
  }
}

struct Spot {
  const char* name;
  int x, y;
  Pixel expected;
};

// Pixels whose colour the generator sets directly: each model's bytes read back to it.
TEST(AccurateSamples, PixelsReadBackAsWritten) {
  const Spot spots[] = {
      {"rgb888.imag", 95, 63, {255, 252, 128}},  // R = 255 x / 95, G = 4 y, B = 128
      {"rgb555.imag", 95, 63, {248, 248, 128}},  // 31, 31, 16, each shifted left 3
      {"clut8.imag", 10, 3, {16, 48, 239}},      // entry 16 of the first PLTE
      {"clut8.imag", 90, 25, {140, 164, 115}},   // entry 140 of the second, loaded from 128
      {"clut7.imag", 1, 0, {1, 3, 254}},         // byte 0x81: entry 1
      {"clut4.imag", 12, 0, {255, 255, 255}},    // entry 1, the high nibble of byte 6
      {"clut4.imag", 11, 0, {0, 0, 0}},          // entry 0, the low nibble of byte 5
      {"rl3.imag", 1, 0, {40, 200, 60}},         // colour B (entry 3) of the first pair
      {"rl7.imag", 95, 0, {100, 44, 155}},       // the end-of-line run of entry 100
  };
  for (const Spot& spot : spots) {
    EXPECT_EQ(pixelAt(decodeOk(committed(spot.name)), spot.x, spot.y), spot.expected)
        << spot.name << " " << spot.x << "," << spot.y;
  }
}

}  // namespace
