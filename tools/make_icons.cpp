// Draws the saver's icon, a few track columns of its coloured boxes with the current step raised,
// as 32 × 32 and 16 × 16 images of 16 colours, and writes them as one .ico file.
//
//   cmake --build --preset native --target make_icons
//   build/native/tools/make_icons windows/ostinel.ico
//
// (tools/make-resources.sh runs this with the dialog's picture.) The output is committed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "base/little_endian.h"

namespace {

// The palette, in the renderer's colours: a track's box when its cell is on and when it is off
// (faded toward white), the same boxes on the current step (tinted and raised), and the table.
enum Colour : std::uint8_t {
  kBlack,  // the table between boxes; also the transparent background's XOR colour
  kMagentaOn,
  kYellowOn,
  kGreenOn,  // a muted track
  kSalmonOn,
  kMagentaOff,
  kYellowOff,
  kGreenOff,
  kSalmonOff,
  kMagentaStep,
  kYellowStep,
  kGreenStep,
  kSalmonStep,
  kStepOff,  // any off cell on the current step
  kSide,     // the front face of a box
  kWhite,    // not drawn: it fills the sixteenth entry
  kColourCount
};

struct Rgb {
  std::uint8_t red, green, blue;
};

const Rgb kPalette[kColourCount] = {
    {0, 0, 0},       {255, 26, 229},  {255, 229, 26},  {161, 239, 16},
    {255, 128, 128}, {255, 209, 250}, {255, 250, 209}, {161, 252, 132},
    {255, 230, 230}, {255, 136, 193}, {255, 242, 87},  {161, 247, 55},
    {255, 189, 140}, {255, 253, 182}, {72, 72, 80},    {255, 255, 255},
};

// A track: its colours on, off and on the current step.
struct Track {
  Colour on, off, step;
};

const Track kMagenta = {kMagentaOn, kMagentaOff, kMagentaStep};
const Track kYellow = {kYellowOn, kYellowOff, kYellowStep};
const Track kGreen = {kGreenOn, kGreenOff, kGreenStep};
const Track kSalmon = {kSalmonOn, kSalmonOff, kSalmonStep};

// One icon image: the table's tracks as columns of boxes, a pattern of on cells per track (one
// character a step, top step first), and the box sizes in pixels.
struct Layout {
  int size;
  std::vector<Track> tracks;
  std::vector<const char*> pattern;
  int boxWidth;
  int topHeight;   // the box's lit top face
  int sideHeight;  // its front face below
  int currentStep;
};

const Layout kLayouts[] = {
    {32,
     {kMagenta, kYellow, kGreen, kSalmon},
     {"x.x..x", ".x..x.", "x..x..", "..x.xx"},
     6,
     3,
     1,
     2},
    {16, {kMagenta, kYellow, kGreen}, {"x.x", ".x.", "x.x"}, 4, 3, 1, 1},
};

// The picture, one palette index a pixel (top row first), and which pixels are transparent.
struct Image {
  int size = 0;
  std::vector<std::uint8_t> pixels;
  std::vector<bool> transparent;

  void Fill(int x0, int y0, int width, int height, Colour colour) {
    for (int y = y0; y < y0 + height; ++y) {
      for (int x = x0; x < x0 + width; ++x) {
        if (x >= 0 && y >= 0 && x < size && y < size) {
          pixels[y * size + x] = colour;
          transparent[y * size + x] = false;
        }
      }
    }
  }
};

Image Draw(const Layout& layout) {
  Image image;
  image.size = layout.size;
  image.pixels.assign(layout.size * layout.size, kBlack);
  image.transparent.assign(layout.size * layout.size, true);

  const int columns = static_cast<int>(layout.tracks.size());
  const int steps = static_cast<int>(std::char_traits<char>::length(layout.pattern[0]));
  const int boxHeight = layout.topHeight + layout.sideHeight;
  // A one-pixel table edge around the boxes and between them; the current step's boxes stand
  // higher, so more of their front face shows and their row is a pixel taller. The table is
  // centred, and at 16 pixels its bottom edge falls off the image: the side faces end it there.
  const int tableWidth = columns * (layout.boxWidth + 1) + 1;
  const int tableHeight = steps * (boxHeight + 1) + 1 + 1;
  const int left = (layout.size - tableWidth + 1) / 2;
  const int top = std::max(0, (layout.size - tableHeight + 1) / 2);
  image.Fill(left, top, tableWidth, tableHeight, kBlack);

  int y = top + 1;
  for (int step = 0; step < steps; ++step) {
    const bool current = step == layout.currentStep;
    const int side = layout.sideHeight + (current ? 1 : 0);
    for (int track = 0; track < columns; ++track) {
      const Track& colours = layout.tracks[track];
      const bool on = layout.pattern[track][step] == 'x';
      Colour face = on ? colours.on : colours.off;
      if (current) {
        face = on ? colours.step : kStepOff;
      }
      const int x = left + 1 + track * (layout.boxWidth + 1);
      image.Fill(x, y, layout.boxWidth, layout.topHeight, face);
      image.Fill(x, y + layout.topHeight, layout.boxWidth, side, kSide);
    }
    y += layout.topHeight + side + 1;
  }
  return image;
}

// An icon image as the .ico file and the RT_ICON resource hold it: BITMAPINFOHEADER (height
// doubled for the two masks), the 16-entry palette, the XOR pixels at 4 bits, the AND mask at 1
// bit, both bottom-up with rows padded to 4 bytes.
std::vector<std::uint8_t> IconImage(const Image& image) {
  const int size = image.size;
  const int xorRow = (size * 4 + 31) / 32 * 4;
  const int andRow = (size + 31) / 32 * 4;
  std::vector<std::uint8_t> out;
  Put32(&out, 40);
  Put32(&out, static_cast<std::uint32_t>(size));
  Put32(&out, static_cast<std::uint32_t>(size * 2));
  Put16(&out, 1);  // planes
  Put16(&out, 4);  // bits per pixel
  Put32(&out, 0);  // BI_RGB
  Put32(&out, static_cast<std::uint32_t>((xorRow + andRow) * size));
  Put32(&out, 0);
  Put32(&out, 0);
  Put32(&out, 0);
  Put32(&out, 0);
  for (const Rgb& c : kPalette) {
    out.insert(out.end(), {c.blue, c.green, c.red, 0});
  }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(xorRow, 0);
    for (int x = 0; x < size; ++x) {
      row[x / 2] |= static_cast<std::uint8_t>(image.pixels[y * size + x] << (x % 2 == 0 ? 4 : 0));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  // A set AND bit keeps the screen; the XOR colour there is black, so the screen shows unchanged.
  for (int y = size - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(andRow, 0);
    for (int x = 0; x < size; ++x) {
      if (image.transparent[y * size + x]) {
        row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

// ICONDIR, one ICONDIRENTRY an image, then the images.
std::vector<std::uint8_t> IcoFile(const std::vector<Image>& images) {
  std::vector<std::vector<std::uint8_t>> bodies;
  for (const Image& image : images) {
    bodies.push_back(IconImage(image));
  }
  std::vector<std::uint8_t> out;
  Put16(&out, 0);  // reserved
  Put16(&out, 1);  // an icon, not a cursor
  Put16(&out, static_cast<std::uint32_t>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    out.push_back(static_cast<std::uint8_t>(images[i].size));
    out.push_back(static_cast<std::uint8_t>(images[i].size));
    out.push_back(kColourCount);
    out.push_back(0);
    Put16(&out, 1);  // planes
    Put16(&out, 4);  // bits per pixel
    Put32(&out, static_cast<std::uint32_t>(bodies[i].size()));
    Put32(&out, offset);
    offset += static_cast<std::uint32_t>(bodies[i].size());
  }
  for (const std::vector<std::uint8_t>& body : bodies) {
    out.insert(out.end(), body.begin(), body.end());
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.ico\n", argv[0]);
    return 2;
  }
  std::vector<Image> images;
  for (const Layout& layout : kLayouts) {
    images.push_back(Draw(layout));
  }
  const std::vector<std::uint8_t> ico = IcoFile(images);
  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(ico.data()), static_cast<std::streamsize>(ico.size()));
  if (!out) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
