// The PNG writer: signature, IHDR, one zlib-compressed IDAT, IEND, each chunk with its CRC.
#include "headless/png_writer.h"

#include <zlib.h>

#include <cstdio>
#include <vector>

namespace {

void PutBigEndian32(std::vector<std::uint8_t>* out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out->push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

// Length, type, data, and the CRC of type and data.
void PutChunk(std::vector<std::uint8_t>* out, const char type[4], const std::uint8_t* data,
              std::size_t bytes) {
  PutBigEndian32(out, static_cast<std::uint32_t>(bytes));
  const std::size_t typeAt = out->size();
  out->insert(out->end(), type, type + 4);
  out->insert(out->end(), data, data + bytes);
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), out->data() + typeAt, static_cast<uInt>(bytes + 4));
  PutBigEndian32(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

bool WritePng(const std::string& path, std::int32_t width, std::int32_t height,
              const std::uint8_t* rgb) {
  if (width <= 0 || height <= 0) {
    return false;
  }
  // Each row is its filter byte (0: none) and its pixels.
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  std::vector<std::uint8_t> raw;
  raw.reserve((rowBytes + 1) * static_cast<std::size_t>(height));
  for (std::int32_t y = 0; y < height; ++y) {
    raw.push_back(0);
    const std::uint8_t* row = rgb + rowBytes * static_cast<std::size_t>(y);
    raw.insert(raw.end(), row, row + rowBytes);
  }
  uLongf packedBytes = compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> packed(packedBytes);
  if (compress2(packed.data(), &packedBytes, raw.data(), static_cast<uLong>(raw.size()),
                Z_DEFAULT_COMPRESSION) != Z_OK) {
    return false;
  }

  static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  std::vector<std::uint8_t> file(kSignature, kSignature + sizeof kSignature);
  std::vector<std::uint8_t> header;
  PutBigEndian32(&header, static_cast<std::uint32_t>(width));
  PutBigEndian32(&header, static_cast<std::uint32_t>(height));
  // Bit depth 8, colour type 2 (RGB), deflate, adaptive filtering, no interlace.
  header.insert(header.end(), {8, 2, 0, 0, 0});
  PutChunk(&file, "IHDR", header.data(), header.size());
  PutChunk(&file, "IDAT", packed.data(), packedBytes);
  PutChunk(&file, "IEND", nullptr, 0);

  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) {
    return false;
  }
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  return std::fclose(out) == 0 && written;
}
