// A program that crashes at once: the test environment must end it, not open a debugger.
#include <cstdio>

int main() {
  std::fflush(stdout);
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 0;
}
