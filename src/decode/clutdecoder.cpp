#include "clutrow.h"
#include "decoders.h"
#include "palettewriter.h"
#include "rowloop.h"

void decodeClut8(ByteView data, const ClassicHeader& header, const Palette& cdiplte,
                 FrameWriter& out) {
  const PaletteWriter palette(cdiplte);
  forEachByteRow(data, header, out,
                 [&](const std::uint8_t* src, std::int64_t n, std::uint8_t* dst) {
                   palette.map(dst, src, n, 0);
                 });
}

// Only the high nibble of each byte is shown.
void decodeClut4(ByteView data, const ClassicHeader& header, const Palette& cdiplte,
                 FrameWriter& out) {
#ifdef PELMORA_HAVE_SSSE3
  static const bool ssse3 = processorHasSsse3();
  if (ssse3) {
    const Clut4Planes planes(cdiplte);
    forEachByteRow(data, header, out,
                   [&](const std::uint8_t* src, std::int64_t n, std::uint8_t* dst) {
                     decodeClut4RowSsse3(src, n, planes, dst);
                   });
    return;
  }
#endif
  const PaletteWriter palette(cdiplte);
  forEachByteRow(data, header, out,
                 [&](const std::uint8_t* src, std::int64_t n, std::uint8_t* dst) {
                   palette.map(dst, src, n, 4);
                 });
}
