// A command line for a parser under test: the program's name, then the words given, or a line's
// words split at blanks.
#pragma once

#include <sstream>
#include <string>
#include <vector>

class Argv {
 public:
  Argv(const char* program, const std::vector<std::string>& words) : words_{program} {
    words_.insert(words_.end(), words.begin(), words.end());
    for (const std::string& word : words_) {
      pointers_.push_back(word.c_str());
    }
  }
  Argv(const char* program, const std::string& line) : Argv(program, Split(line)) {}
  Argv(const Argv&) = delete;
  Argv& operator=(const Argv&) = delete;

  int argc() const { return static_cast<int>(pointers_.size()); }
  const char* const* argv() const { return pointers_.data(); }

 private:
  static std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;) {
      words.push_back(word);
    }
    return words;
  }
  std::vector<std::string> words_;
  std::vector<const char*> pointers_;
};
