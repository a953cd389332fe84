// Just enough JSON for the tests to read the render trace: objects, arrays, numbers, strings,
// booleans and null, one value a line.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct JsonValue {
  enum class Type { kNull, kBool, kNumber, kString, kArray, kObject };

  Type type = Type::kNull;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<JsonValue> items;                            // an array's
  std::vector<std::pair<std::string, JsonValue>> members;  // an object's, in order

  bool Has(const std::string& key) const;
  // The member `key`; a null value when there is none.
  const JsonValue& operator[](const std::string& key) const;
};

// Parses one JSON value filling all of `text` (surrounding spaces allowed). False on any error.
bool ParseJson(const std::string& text, JsonValue* value);
