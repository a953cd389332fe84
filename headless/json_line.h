// One line of the render trace: a flat JSON object built key by key, with numbers printed so that
// the same run always gives the same bytes and every float reads back exactly.
#pragma once

#include <cstdint>
#include <string>

class JsonLine {
 public:
  JsonLine& Int(const char* key, std::int64_t value);
  JsonLine& Uint(const char* key, std::uint64_t value);
  // %.9g: enough digits for a float to round-trip.
  JsonLine& Float(const char* key, float value);
  JsonLine& Bool(const char* key, bool value);
  JsonLine& String(const char* key, const std::string& value);
  // `json` is written as it is: an array or object already formatted.
  JsonLine& Raw(const char* key, const std::string& json);

  // The object and its newline.
  std::string Text() const { return text_ + "}\n"; }

 private:
  void Key(const char* key);

  std::string text_ = "{";
};

// %.9g of `value` (non-finite values, which JSON cannot hold, as null).
std::string JsonFloat(float value);
