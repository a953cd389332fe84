// Reads the resources of a PE image (the built ostinel.scr) straight from its bytes, so that a
// Linux test can check what the resource compiler and the linker put in the file.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A resource type or name: a number, or a string when `name` is not empty.
struct ResourceId {
  std::uint16_t id = 0;
  std::u16string name;

  ResourceId() = default;
  // Implicit, so that a look-up reads Find(6, 1) or Find(u"WAVE", 133).
  ResourceId(std::uint16_t number) : id(number) {}
  ResourceId(const char16_t* text) : name(text) {}
  explicit ResourceId(std::u16string text) : name(std::move(text)) {}

  bool operator==(const ResourceId& other) const { return id == other.id && name == other.name; }
};

struct Resource {
  ResourceId type;
  ResourceId name;
  std::uint16_t language = 0;
  std::vector<std::uint8_t> data;
};

struct PeResources {
  std::vector<Resource> resources;  // in the tree's order: type, then name, then language

  // The first resource of that type and name, whatever its language; null when there is none.
  const Resource* Find(const ResourceId& type, const ResourceId& name) const;
};

// Walks DOS header, PE header, optional header (PE32 or PE32+), the resource data directory, the
// section that holds it, and the type / name / language tree. Every offset is checked against the
// image. Returns an empty string on success, otherwise what is wrong.
std::string ReadPeResources(const std::vector<std::uint8_t>& image, PeResources* out);
