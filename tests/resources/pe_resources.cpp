// The PE resource reader: headers to the resource directory, then its three-level tree.
#include "tests/resources/pe_resources.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kHighBit = 0x80000000u;

// Little-endian reads that fail instead of reading past the image.
class Bytes {
 public:
  explicit Bytes(const std::vector<std::uint8_t>& image) : image_(image) {}

  bool Has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= image_.size() && count <= image_.size() - offset;
  }
  std::uint16_t U16(std::uint64_t offset) {
    if (!Has(offset, 2)) {
      ok_ = false;
      return 0;
    }
    return static_cast<std::uint16_t>(image_[offset] | image_[offset + 1] << 8);
  }
  std::uint32_t U32(std::uint64_t offset) {
    return U16(offset) | static_cast<std::uint32_t>(U16(offset + 2)) << 16;
  }
  bool ok() const { return ok_; }
  const std::vector<std::uint8_t>& image() const { return image_; }

 private:
  const std::vector<std::uint8_t>& image_;
  bool ok_ = true;
};

struct Section {
  std::uint32_t virtualAddress;
  std::uint32_t virtualSize;
  std::uint32_t rawOffset;
  std::uint32_t rawSize;
};

// A file offset for an RVA with `count` bytes behind it inside one section's raw data.
bool Map(const Bytes& bytes, const std::vector<Section>& sections, std::uint32_t rva,
         std::uint32_t count, std::uint64_t* offset) {
  for (const Section& s : sections) {
    const std::uint64_t into = static_cast<std::uint64_t>(rva) - s.virtualAddress;
    if (rva >= s.virtualAddress && into < std::max(s.virtualSize, s.rawSize)) {
      if (into + count > s.rawSize || !bytes.Has(s.rawOffset + into, count)) {
        return false;
      }
      *offset = s.rawOffset + into;
      return true;
    }
  }
  return false;
}

// The tree below the resource directory's root; every offset in it counts from the root.
class TreeWalker {
 public:
  TreeWalker(Bytes* bytes, const std::vector<Section>& sections, std::uint64_t root)
      : bytes_(*bytes), sections_(sections), root_(root) {}

  // Directory at `offset` from the root, `level` 0 (types), 1 (names) or 2 (languages).
  std::string Walk(std::uint32_t offset, int level, Resource* path, PeResources* out) {
    const std::uint64_t at = static_cast<std::uint64_t>(root_) + offset;
    const std::uint32_t count =
        static_cast<std::uint32_t>(bytes_.U16(at + 12)) + bytes_.U16(at + 14);
    for (std::uint32_t i = 0; i < count && bytes_.ok(); ++i) {
      const std::uint64_t entry = at + 16 + 8ull * i;
      const std::uint32_t name = bytes_.U32(entry);
      const std::uint32_t target = bytes_.U32(entry + 4);
      ResourceId id(static_cast<std::uint16_t>(name));
      if ((name & kHighBit) != 0) {
        id = ReadName(name & ~kHighBit);
      }
      if (level == 0) {
        path->type = id;
      } else if (level == 1) {
        path->name = id;
      } else {
        path->language = id.id;
      }
      const bool directory = (target & kHighBit) != 0;
      if (directory != (level < 2)) {
        return "resource tree entry at the wrong level";
      }
      std::string error =
          directory ? Walk(target & ~kHighBit, level + 1, path, out) : ReadData(target, *path, out);
      if (!error.empty()) {
        return error;
      }
    }
    return bytes_.ok() ? "" : "resource directory runs past the end of the file";
  }

 private:
  // A counted UTF-16 string at `offset` from the root.
  ResourceId ReadName(std::uint32_t offset) {
    const std::uint64_t at = static_cast<std::uint64_t>(root_) + offset;
    const std::uint16_t length = bytes_.U16(at);
    std::u16string text;
    for (std::uint16_t k = 0; k < length && bytes_.ok(); ++k) {
      text.push_back(static_cast<char16_t>(bytes_.U16(at + 2 + 2ull * k)));
    }
    return ResourceId(std::move(text));
  }

  std::string ReadData(std::uint32_t offset, const Resource& path, PeResources* out) {
    const std::uint64_t at = static_cast<std::uint64_t>(root_) + offset;
    const std::uint32_t rva = bytes_.U32(at);
    const std::uint32_t size = bytes_.U32(at + 4);
    std::uint64_t file = 0;
    if (!bytes_.ok() || !Map(bytes_, sections_, rva, size, &file)) {
      return "resource data outside the file";
    }
    Resource resource = path;
    resource.data.assign(bytes_.image().begin() + static_cast<std::ptrdiff_t>(file),
                         bytes_.image().begin() + static_cast<std::ptrdiff_t>(file + size));
    out->resources.push_back(std::move(resource));
    return "";
  }

  Bytes& bytes_;
  const std::vector<Section>& sections_;
  std::uint64_t root_;
};

}  // namespace

const Resource* PeResources::Find(const ResourceId& type, const ResourceId& name) const {
  for (const Resource& resource : resources) {
    if (resource.type == type && resource.name == name) {
      return &resource;
    }
  }
  return nullptr;
}

std::string ReadPeResources(const std::vector<std::uint8_t>& image, PeResources* out) {
  Bytes bytes(image);
  if (bytes.U16(0) != 0x5A4D) {  // "MZ"
    return "no DOS header";
  }
  const std::uint64_t pe = bytes.U32(0x3C);
  if (bytes.U32(pe) != 0x00004550) {  // "PE\0\0"
    return "no PE signature";
  }
  const std::uint16_t sectionCount = bytes.U16(pe + 6);
  const std::uint16_t optionalSize = bytes.U16(pe + 20);
  const std::uint64_t optional = pe + 24;
  const std::uint16_t magic = bytes.U16(optional);
  std::uint64_t directories = 0;
  if (magic == 0x20B) {  // PE32+
    directories = optional + 112;
  } else if (magic == 0x10B) {  // PE32
    directories = optional + 96;
  } else {
    return "unknown optional header";
  }
  const std::uint32_t directoryCount = bytes.U32(directories - 4);
  if (directoryCount <= 2 || directories + 8 * 3 > optional + optionalSize) {
    return "no resource data directory";
  }
  const std::uint32_t resourceRva = bytes.U32(directories + 16);
  const std::uint32_t resourceSize = bytes.U32(directories + 20);

  std::vector<Section> sections;
  for (std::uint16_t i = 0; i < sectionCount; ++i) {
    const std::uint64_t at = optional + optionalSize + 40ull * i;
    sections.push_back(
        {bytes.U32(at + 12), bytes.U32(at + 8), bytes.U32(at + 20), bytes.U32(at + 16)});
  }
  if (!bytes.ok()) {
    return "headers run past the end of the file";
  }
  if (resourceRva == 0 || resourceSize == 0) {
    return "the image has no resources";
  }

  std::uint64_t root = 0;
  if (!Map(bytes, sections, resourceRva, resourceSize, &root)) {
    return "resource directory outside the file";
  }
  Resource path;
  out->resources.clear();
  return TreeWalker(&bytes, sections, root).Walk(0, 0, &path, out);
}
