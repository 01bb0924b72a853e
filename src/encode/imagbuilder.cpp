#include "imagbuilder.h"

void appendU16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

void appendU32(Bytes& out, std::uint32_t value) {
  appendU16(out, value >> 16);
  appendU16(out, value & 0xFFFF);
}

namespace {
void setU32(Bytes& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    out[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

void appendId(Bytes& out, std::string_view id) {
  for (std::size_t i = 0; i < 4; ++i)
    out.push_back(i < id.size() ? id[i] : ' ');
}
}  // namespace

ImagBuilder::ImagBuilder(std::string_view kind) {
  appendId(bytes_, kind);
  appendU32(bytes_, 0);
  appendId(bytes_, "IMAG");
  if (kind == "CAT ") {
    appendId(bytes_, "FORM");
    appendU32(bytes_, 0);
    appendId(bytes_, "IMAG");
  }
}

ImagBuilder ImagBuilder::form() {
  return ImagBuilder("FORM");
}
ImagBuilder ImagBuilder::cat() {
  return ImagBuilder("CAT ");
}

ImagBuilder& ImagBuilder::chunkWithLength(std::string_view id, std::uint32_t length,
                                          const Bytes& body) {
  appendId(bytes_, id);
  appendU32(bytes_, length);
  bytes_.insert(bytes_.end(), body.begin(), body.end());
  return *this;
}

ImagBuilder& ImagBuilder::chunk(std::string_view id, const Bytes& body) {
  return chunkWithLength(id, static_cast<std::uint32_t>(body.size()), body);
}

ImagBuilder& ImagBuilder::ihdr(const ImagHeader& header) {
  Bytes body;
  appendU16(body, header.width);
  appendU16(body, header.lineSize);
  appendU16(body, header.height);
  appendU16(body, header.model);
  appendU16(body, header.depth);
  body.push_back(header.dyuvKind);
  body.push_back(header.y);
  body.push_back(header.u);
  body.push_back(header.v);
  return chunk("IHDR", body);
}

ImagHeader ImagHeader::of(int model, int width, int height, int lineSize, int depth) {
  ImagHeader header;
  header.model = static_cast<std::uint16_t>(model);
  header.width = static_cast<std::uint16_t>(width);
  header.lineSize = static_cast<std::uint16_t>(lineSize < 0 ? width : lineSize);
  header.height = static_cast<std::uint16_t>(height);
  header.depth = static_cast<std::uint16_t>(depth);
  return header;
}

ImagBuilder& ImagBuilder::plte(const std::vector<Rgb>& colours, int first) {
  Bytes body;
  appendU16(body, static_cast<std::uint32_t>(first));
  appendU16(body, static_cast<std::uint32_t>(colours.size()));
  for (const Rgb& c : colours)
    body.insert(body.end(), {c.r, c.g, c.b});
  return chunk("PLTE", body);
}

ImagBuilder& ImagBuilder::raw(const Bytes& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

Bytes ImagBuilder::bytes() const {
  Bytes out = bytes_;
  setU32(out, 4, static_cast<std::uint32_t>(out.size() - 8));
  if (out[0] == 'C') setU32(out, 16, static_cast<std::uint32_t>(out.size() - 20));  // CAT's item
  return out;
}
