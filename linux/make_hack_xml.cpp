// Writes ostinel.xml, the description of the hack's options for XScreenSaver's settings program,
// from the settings table: one select per setting, with the Windows dialog's labels.
#include <cstdio>

#include "core/settings_table.h"
#include "linux/hack_options.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_hack_xml OUT.xml\n");
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::fputs(R"(<?xml version="1.0" encoding="ISO-8859-1"?>

<screensaver name="ostinel" _label="Ostinel" gl="yes">

  <command arg="--root"/>

)",
             out);
  for (const SettingInfo& setting : kSettings) {
    if (setting.paramIndex < 0) {
      continue;  // the mouse belongs to XScreenSaver while it runs
    }
    std::fprintf(out, "  <select id=\"%s\">\n", setting.option);
    for (int value = setting.min; value <= setting.max; ++value) {
      const char* label = setting.labels[value - setting.min];
      if (value == setting.defaultValue) {
        std::fprintf(out, "    <option id=\"%s%d\" _label=\"%s: %s\"/>\n", setting.option, value,
                     setting.group, label);
      } else {
        std::fprintf(out, "    <option id=\"%s%d\" _label=\"%s: %s\" arg-set=\"--%s %d\"/>\n",
                     setting.option, value, setting.group, label, setting.option, value);
      }
    }
    std::fputs("  </select>\n\n", out);
  }
  // The slider's top is 120 frames a second: the piece's frames keep their own clock, so a faster
  // pace spins the table and rolls the dice faster, which the top of a frame-rate slider should
  // not make extreme.
  std::fprintf(out, R"(  <number id="delay" type="slider" arg="--delay %%"
          _label="Frame rate" _low-label="Low" _high-label="High"
          low="8333" high="100000" default="%u"
          convert="invert"/>

  <boolean id="showfps" _label="Show frame rate" arg-set="--fps"/>

  <_description>
A table of 25 x 8 coloured boxes spins while a step clock plays the pattern they encode with 25
drum samples; dice mutate the pattern at the end of every bar, so the rhythm builds itself up
from silence. One instance per display plays the sound.
  </_description>
</screensaver>
)",
               kDefaultDelayUs);
  return std::fclose(out) == 0 ? 0 : 1;
}
