// The trace's JSON lines: keys in the order given, integers in full, floats in %.9g.
#include "headless/json_line.h"

#include <cmath>
#include <cstdio>

std::string JsonFloat(float value) {
  if (!std::isfinite(value)) {
    return "null";
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  return text;
}

void JsonLine::Key(const char* key) {
  if (text_.size() > 1) {
    text_ += ',';
  }
  text_ += '"';
  text_ += key;
  text_ += "\":";
}

JsonLine& JsonLine::Int(const char* key, std::int64_t value) {
  Key(key);
  text_ += std::to_string(value);
  return *this;
}

JsonLine& JsonLine::Uint(const char* key, std::uint64_t value) {
  Key(key);
  text_ += std::to_string(value);
  return *this;
}

JsonLine& JsonLine::Float(const char* key, float value) {
  Key(key);
  text_ += JsonFloat(value);
  return *this;
}

JsonLine& JsonLine::Bool(const char* key, bool value) {
  Key(key);
  text_ += value ? "true" : "false";
  return *this;
}

JsonLine& JsonLine::String(const char* key, const std::string& value) {
  Key(key);
  text_ += '"';
  for (char c : value) {
    if (c == '"' || c == '\\') {
      text_ += '\\';
      text_ += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      text_ += escaped;
    } else {
      text_ += c;
    }
  }
  text_ += '"';
  return *this;
}

JsonLine& JsonLine::Raw(const char* key, const std::string& json) {
  Key(key);
  text_ += json;
  return *this;
}
