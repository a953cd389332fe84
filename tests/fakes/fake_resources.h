// Program resources held in memory by the test, by id.
#pragma once

#include <map>
#include <vector>

#include "platform/program_resources.h"

class FakeResources final : public ProgramResources {
 public:
  std::map<int, std::vector<unsigned char>> waves;
  std::vector<int> asked;

  const unsigned char* FindWave(int resourceId, std::size_t* bytes) override {
    asked.push_back(resourceId);
    const auto found = waves.find(resourceId);
    if (found == waves.end()) {
      return nullptr;
    }
    *bytes = found->second.size();
    return found->second.data();
  }
};
