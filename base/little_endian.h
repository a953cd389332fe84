// Little-endian numbers in bytes, as RIFF WAVE files, the registry's DWORDs and the bitmaps and
// icons of the resources hold them: read in place, written in place or appended.
#pragma once

#include <cstdint>
#include <vector>

inline std::uint16_t Get16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

inline std::uint32_t Get32(const unsigned char* p) {
  return static_cast<std::uint32_t>(Get16(p)) | static_cast<std::uint32_t>(Get16(p + 2)) << 16;
}

inline void Set16(unsigned char* p, std::uint32_t value) {
  p[0] = static_cast<unsigned char>(value);
  p[1] = static_cast<unsigned char>(value >> 8);
}

inline void Set32(unsigned char* p, std::uint32_t value) {
  Set16(p, value & 0xFFFF);
  Set16(p + 2, value >> 16);
}

inline void Put16(std::vector<unsigned char>* out, std::uint32_t value) {
  out->resize(out->size() + 2);
  Set16(out->data() + out->size() - 2, value);
}

inline void Put32(std::vector<unsigned char>* out, std::uint32_t value) {
  out->resize(out->size() + 4);
  Set32(out->data() + out->size() - 4, value);
}
