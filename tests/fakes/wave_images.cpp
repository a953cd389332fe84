// RIFF WAVE images for tests.
#include "wave_images.h"

namespace {

void PutWord(std::vector<unsigned char>& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    out.push_back(static_cast<unsigned char>(value >> (8 * i)));
  }
}

void PutId(std::vector<unsigned char>& out, const std::string& id) {
  out.insert(out.end(), id.begin(), id.begin() + 4);
}

}  // namespace

std::vector<unsigned char> RiffImage(const std::vector<TestChunk>& chunks, std::int64_t riffSize) {
  std::vector<unsigned char> out;
  PutId(out, "RIFF");
  PutWord(out, 0);
  PutId(out, "WAVE");
  for (const TestChunk& chunk : chunks) {
    PutId(out, chunk.id);
    PutWord(out, static_cast<std::uint32_t>(chunk.declaredSize >= 0 ? chunk.declaredSize
                                                                     : chunk.body.size()));
    out.insert(out.end(), chunk.body.begin(), chunk.body.end());
    if (chunk.body.size() % 2 != 0) {
      out.push_back(0);
    }
  }
  const std::uint32_t size =
      static_cast<std::uint32_t>(riffSize >= 0 ? riffSize : static_cast<std::int64_t>(out.size()) - 8);
  for (int i = 0; i < 4; ++i) {
    out[4 + i] = static_cast<unsigned char>(size >> (8 * i));
  }
  return out;
}

std::vector<unsigned char> PcmFormat(std::size_t bytes) {
  std::vector<unsigned char> body = {1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0,
                                     0, 0};
  body.resize(bytes, 0);
  return body;
}

std::vector<unsigned char> PcmWave(const std::vector<unsigned char>& samples) {
  return RiffImage({{"fmt ", PcmFormat()}, {"data", samples}});
}
