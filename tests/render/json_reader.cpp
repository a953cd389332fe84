// A recursive-descent JSON reader for the render tests. Strict about structure; \u escapes are
// kept only for ASCII, which is all the trace ever holds.
#include "json_reader.h"

#include <cstdlib>

namespace {

class Reader {
 public:
  explicit Reader(const std::string& text) : text_(text) {}

  bool Document(JsonValue* value) {
    if (!Value(value, 0)) {
      return false;
    }
    Spaces();
    return at_ == text_.size();
  }

 private:
  static constexpr int kMaxDepth = 32;

  void Spaces() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r')) {
      ++at_;
    }
  }

  bool Take(char c) {
    Spaces();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  bool Word(const char* word) {
    const std::string w(word);
    if (text_.compare(at_, w.size(), w) != 0) {
      return false;
    }
    at_ += w.size();
    return true;
  }

  bool String(std::string* out) {
    if (!Take('"')) {
      return false;
    }
    while (at_ < text_.size()) {
      const char c = text_[at_++];
      if (c == '"') {
        return true;
      }
      if (static_cast<unsigned char>(c) < 0x20) {
        return false;
      }
      if (c != '\\') {
        *out += c;
        continue;
      }
      if (at_ >= text_.size()) {
        return false;
      }
      const char e = text_[at_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          *out += e;
          break;
        case 'n':
          *out += '\n';
          break;
        case 't':
          *out += '\t';
          break;
        case 'u': {
          if (at_ + 4 > text_.size()) {
            return false;
          }
          const long code = std::strtol(text_.substr(at_, 4).c_str(), nullptr, 16);
          if (code > 0x7f) {
            return false;
          }
          *out += static_cast<char>(code);
          at_ += 4;
          break;
        }
        default:
          return false;
      }
    }
    return false;
  }

  bool Number(double* out) {
    const char* begin = text_.c_str() + at_;
    char* end = nullptr;
    *out = std::strtod(begin, &end);
    if (end == begin) {
      return false;
    }
    at_ += static_cast<std::size_t>(end - begin);
    return true;
  }

  bool Value(JsonValue* value, int depth) {
    Spaces();
    if (at_ >= text_.size() || depth > kMaxDepth) {
      return false;
    }
    const char c = text_[at_];
    if (c == '{') {
      value->type = JsonValue::Type::kObject;
      ++at_;
      if (Take('}')) {
        return true;
      }
      do {
        std::pair<std::string, JsonValue> member;
        if (!String(&member.first) || !Take(':') || !Value(&member.second, depth + 1)) {
          return false;
        }
        value->members.push_back(std::move(member));
      } while (Take(','));
      return Take('}');
    }
    if (c == '[') {
      value->type = JsonValue::Type::kArray;
      ++at_;
      if (Take(']')) {
        return true;
      }
      do {
        value->items.emplace_back();
        if (!Value(&value->items.back(), depth + 1)) {
          return false;
        }
      } while (Take(','));
      return Take(']');
    }
    if (c == '"') {
      value->type = JsonValue::Type::kString;
      return String(&value->text);
    }
    for (bool truth : {true, false}) {
      if (Word(truth ? "true" : "false")) {
        value->type = JsonValue::Type::kBool;
        value->boolean = truth;
        return true;
      }
    }
    if (Word("null")) {
      value->type = JsonValue::Type::kNull;
      return true;
    }
    if (c != '-' && (c < '0' || c > '9')) {
      return false;
    }
    value->type = JsonValue::Type::kNumber;
    return Number(&value->number);
  }

  const std::string& text_;
  std::size_t at_ = 0;
};

}  // namespace

bool JsonValue::Has(const std::string& key) const {
  for (const auto& member : members) {
    if (member.first == key) {
      return true;
    }
  }
  return false;
}

const JsonValue& JsonValue::operator[](const std::string& key) const {
  static const JsonValue kNull;
  for (const auto& member : members) {
    if (member.first == key) {
      return member.second;
    }
  }
  return kNull;
}

bool ParseJson(const std::string& text, JsonValue* value) {
  *value = JsonValue();
  return Reader(text).Document(value);
}
