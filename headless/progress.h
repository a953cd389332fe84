// How far a render has got, as the line shown on a terminal while it runs.
#pragma once

#include <cstdint>
#include <string>

// "frame D of N, P%, S.Sx real time, M:SS left": `elapsedSeconds` of wall time have rendered D
// frames of N at `fps`; the speed is the video time rendered over the wall time, and the time left
// assumes that speed holds. Before any frame is done, only the count and the percentage.
std::string ProgressLine(std::uint64_t done, std::uint64_t total, std::uint32_t fps,
                         double elapsedSeconds);
