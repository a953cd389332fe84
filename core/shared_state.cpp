// The process-wide values that belong to no one module. Each module's own state is defined in that
// module, so that a program or test linking only part of the core constructs nothing it does not
// use (the sample bank's 30 voices above all).
#include "core/shared_state.h"

std::int32_t runMode = kNoRunMode;
SaverContext* saverContext = nullptr;
Clock* frameClock = nullptr;
