// Reads the resources of the built ostinel.scr back and checks them against what the saver needs:
// the settings dialog field by field, its picture, the icons, the description, the samples.
// Usage: scr_resources_test OSTINEL.SCR SAMPLES_DIR VERSION [gtest flags]
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/resources/pe_resources.h"

namespace {

std::string scrPath;
std::string samplesDir;
std::string version;  // the project's, x.y.z

// Resource types.
constexpr std::uint16_t kIcon = 3;
constexpr std::uint16_t kBitmap = 2;
constexpr std::uint16_t kDialog = 5;
constexpr std::uint16_t kString = 6;
constexpr std::uint16_t kGroupIcon = 14;
constexpr std::uint16_t kVersion = 16;
constexpr std::uint16_t kManifest = 24;

// Window and control styles.
constexpr std::uint32_t kChildVisible = 0x50000000;
constexpr std::uint32_t kGroup = 0x00020000;
constexpr std::uint32_t kTabStop = 0x00010000;
constexpr std::uint32_t kPushButton = 0x0;
constexpr std::uint32_t kDefPushButton = 0x1;
constexpr std::uint32_t kAutoCheckBox = 0x3;
constexpr std::uint32_t kGroupBox = 0x7;
constexpr std::uint32_t kAutoRadio = 0x9;
constexpr std::uint32_t kMultiline = 0x2000;
constexpr std::uint32_t kLeft = 0x0;
constexpr std::uint32_t kCenter = 0x1;
constexpr std::uint32_t kBitmapStyle = 0xE;
constexpr std::uint32_t kCenterImage = 0x200;
constexpr std::uint32_t kRealSizeImage = 0x800;
constexpr std::uint32_t kSunken = 0x1000;

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
}

std::string Narrow(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  }
  return out;
}

// Styles compare best as the hexadecimal the Windows headers spell them in.
std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(value));
  return text;
}

// Little-endian fields read in order; reading past the end gives zeros and marks the cursor bad.
class Cursor {
 public:
  explicit Cursor(const std::vector<std::uint8_t>& data) : data_(data) {}

  std::uint16_t U16() {
    if (at_ + 2 > data_.size()) {
      ok_ = false;
      at_ = data_.size();
      return 0;
    }
    const std::uint16_t value = static_cast<std::uint16_t>(data_[at_] | data_[at_ + 1] << 8);
    at_ += 2;
    return value;
  }
  std::uint32_t U32() { return U16() | static_cast<std::uint32_t>(U16()) << 16; }
  std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
  std::uint8_t U8() {
    if (at_ >= data_.size()) {
      ok_ = false;
      return 0;
    }
    return data_[at_++];
  }
  // A NUL-terminated UTF-16 string.
  std::u16string Text() {
    std::u16string text;
    for (std::uint16_t c = U16(); c != 0 && ok_; c = U16()) {
      text.push_back(static_cast<char16_t>(c));
    }
    return text;
  }
  // A template's sz_Or_Ord: nothing (0), an ordinal (0xFFFF, then the number) or a string.
  ResourceId TextOrOrdinal() {
    const std::size_t start = at_;
    const std::uint16_t first = U16();
    if (first == 0xFFFF) {
      return ResourceId(U16());
    }
    at_ = start;
    return ResourceId(Text());
  }
  void AlignTo4() { at_ = (at_ + 3) & ~static_cast<std::size_t>(3); }
  std::size_t at() const { return at_; }
  bool ok() const { return ok_; }

 private:
  const std::vector<std::uint8_t>& data_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

class ScrResources : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    resources_ = new PeResources;
    error_ = new std::string(ReadPeResources(ReadFile(scrPath), resources_));
  }
  static void TearDownTestSuite() {
    delete resources_;
    delete error_;
  }
  void SetUp() override { ASSERT_EQ(*error_, "") << scrPath; }

  // The resource's bytes; fails the test when it is missing.
  static const std::vector<std::uint8_t>& Data(const ResourceId& type, const ResourceId& name) {
    static const std::vector<std::uint8_t> kNone;
    const Resource* resource = resources_->Find(type, name);
    EXPECT_NE(resource, nullptr) << "type " << type.id << Narrow(type.name) << ", name " << name.id
                                 << Narrow(name.name);
    return resource != nullptr ? resource->data : kNone;
  }

  static PeResources* resources_;
  static std::string* error_;
};

PeResources* ScrResources::resources_ = nullptr;
std::string* ScrResources::error_ = nullptr;

// A dialog control as the template should hold it. `text` null: the title is the ordinal `image`.
struct Control {
  const char* className;
  std::int32_t id;
  const char16_t* text;
  std::uint32_t style;  // besides WS_CHILD | WS_VISIBLE
  std::int16_t x, y, cx, cy;
  std::uint16_t image = 0;
};

const char16_t kCredits[] = u"";  // stands for the credit text, checked line by line below

const Control kControls[] = {
    {"button", 1011, u"sparse", kAutoRadio | kGroup, 75, 140, 36, 8},
    {"button", 1021, u"midium", kAutoRadio, 75, 150, 36, 8},
    {"button", 1022, u"nearly full", kAutoRadio, 75, 160, 45, 8},
    {"button", 1, u"OK", kDefPushButton | kTabStop, 185, 145, 30, 12},
    {"button", 2, u"Cancel", kPushButton | kTabStop, 185, 160, 30, 14},
    {"button", 1000, u"Use Mouse (L-drag to Rotate)", kAutoCheckBox | kMultiline | kTabStop, 130,
     138, 50, 30},
    {"static", -1, nullptr, kBitmapStyle | kRealSizeImage, 13, 21, 76, 53, 159},
    {"static", -1, u"Ostinel", kCenter | kCenterImage | kSunken | kGroup, 22, 9, 60, 8},
    {"button", 1005, u"slow", kAutoRadio | kGroup, 75, 95, 36, 8},
    {"button", 1006, u"midium", kAutoRadio, 75, 105, 36, 8},
    {"button", 1007, u"fast", kAutoRadio, 75, 115, 36, 8},
    {"button", -1, u"Transient Spd", kGroupBox, 70, 85, 55, 45},
    {"static", -1, kCredits, kLeft | kSunken | kGroup, 97, 7, 118, 70},
    {"button", -1, u"Beat Spd(BPM)", kGroupBox, 10, 85, 55, 90},
    {"button", 1012, u"60", kAutoRadio | kGroup, 13, 97, 43, 10},
    {"button", 1013, u"80", kAutoRadio, 13, 107, 43, 10},
    {"button", 1014, u"100", kAutoRadio, 13, 117, 43, 10},
    {"button", 1015, u"120", kAutoRadio, 13, 127, 43, 10},
    {"button", 1016, u"140", kAutoRadio, 13, 137, 43, 10},
    {"button", 1017, u"160", kAutoRadio, 13, 147, 43, 10},
    {"button", 1018, u"180", kAutoRadio, 13, 157, 43, 10},
    {"button", -1, u"Matrix Density", kGroupBox, 70, 130, 55, 45},
    {"button", -1, u"Table Rotation", kGroupBox, 130, 85, 55, 45},
    {"button", 1019, u"off", kAutoRadio | kGroup, 135, 95, 45, 10},
    {"button", 1020, u"on", kAutoRadio, 135, 105, 45, 10},
    {"button", 1023, u"agressive", kAutoRadio, 135, 115, 45, 10},
    {"static", -1, u"Thanks for downloading!  I am waiting for your comment!",
     kCenter | kSunken | kGroup, 10, 180, 205, 10},
};

// The predefined class a template names, by ordinal (0x80 button, 0x82 static) or by name.
std::string ClassName(const ResourceId& id) {
  if (id.name.empty()) {
    return id.id == 0x80 ? "button" : id.id == 0x82 ? "static" : "ordinal " + std::to_string(id.id);
  }
  std::string name = Narrow(id.name);
  for (char& c : name) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return name;
}

std::vector<std::u16string> Lines(const std::u16string& text) {
  std::vector<std::u16string> lines(1);
  for (char16_t c : text) {
    if (c == u'\n') {
      lines.emplace_back();
    } else if (c != u'\r') {
      lines.back().push_back(c);
    }
  }
  return lines;
}

TEST_F(ScrResources, DialogTemplateIsExactlyTheSettingsDialog) {
  Cursor in(Data(kDialog, 104));
  EXPECT_EQ(in.U16(), 1);            // dlgVer
  EXPECT_EQ(in.U16(), 0xFFFF);       // signature: DLGTEMPLATEEX
  EXPECT_EQ(in.U32(), 0u);           // helpID
  EXPECT_EQ(Hex(in.U32()), "0x80");  // WS_EX_TOOLWINDOW
  // WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
  EXPECT_EQ(Hex(in.U32()), "0x80c800c0");
  const std::uint16_t count = in.U16();
  ASSERT_EQ(count, std::size(kControls));
  EXPECT_EQ(in.I16(), 0);
  EXPECT_EQ(in.I16(), 0);
  EXPECT_EQ(in.I16(), 223);
  EXPECT_EQ(in.I16(), 194);
  EXPECT_EQ(in.U16(), 0);  // no menu
  EXPECT_EQ(in.U16(), 0);  // the standard dialog class
  EXPECT_EQ(in.Text(), u"Ostinel screen saver");
  EXPECT_EQ(in.U16(), 9);  // points
  EXPECT_EQ(in.U16(), 0);  // weight
  EXPECT_EQ(in.U8(), 0);   // italic
  EXPECT_EQ(in.U8(), 1);   // DEFAULT_CHARSET
  EXPECT_EQ(in.Text(), u"Arial");

  for (const Control& want : kControls) {
    SCOPED_TRACE("control " + std::to_string(&want - kControls + 1));
    in.AlignTo4();
    EXPECT_EQ(in.U32(), 0u);  // helpID
    EXPECT_EQ(in.U32(), 0u);  // exStyle
    EXPECT_EQ(Hex(in.U32()), Hex(kChildVisible | want.style)) << "style";
    EXPECT_EQ(in.I16(), want.x);
    EXPECT_EQ(in.I16(), want.y);
    EXPECT_EQ(in.I16(), want.cx);
    EXPECT_EQ(in.I16(), want.cy);
    EXPECT_EQ(in.U32(), static_cast<std::uint32_t>(want.id));
    EXPECT_EQ(ClassName(in.TextOrOrdinal()), want.className);
    const ResourceId title = in.TextOrOrdinal();
    if (want.text == nullptr) {
      EXPECT_TRUE(title.name.empty());
      EXPECT_EQ(title.id, want.image);
    } else if (want.text == kCredits) {
      const std::vector<std::u16string> lines = Lines(title.name);
      ASSERT_EQ(lines.size(), 8u) << Narrow(title.name);
      EXPECT_FALSE(lines[0].empty());
      EXPECT_EQ(lines[3], u"");
      EXPECT_EQ(lines[4], u"usage:");
      EXPECT_EQ(lines[5], u" Down arrow / R click : Reset matrix");
      EXPECT_EQ(lines[6], u" Space : Transform matrix");
      EXPECT_EQ(lines[7], u" Enter : Toggle day/night");
    } else {
      EXPECT_EQ(Narrow(title.name), Narrow(want.text));
    }
    EXPECT_EQ(in.U16(), 0);  // no creation data
  }
  EXPECT_TRUE(in.ok()) << "the template ends early";
}

TEST_F(ScrResources, PictureIsA133By100TrueColourBitmapWithoutFileHeader) {
  const std::vector<std::uint8_t>& data = Data(kBitmap, 159);
  EXPECT_EQ(data.size(), 40u + 40000u);
  Cursor in(data);
  EXPECT_EQ(in.U32(), 40u);   // BITMAPINFOHEADER
  EXPECT_EQ(in.U32(), 133u);  // width
  EXPECT_EQ(in.U32(), 100u);  // height, positive: bottom-up
  EXPECT_EQ(in.U16(), 1);     // planes
  EXPECT_EQ(in.U16(), 24);    // bits per pixel
  EXPECT_EQ(in.U32(), 0u);    // BI_RGB
}

TEST_F(ScrResources, IconGroupHoldsA32And16PixelIconOf16Colours) {
  Cursor group(Data(kGroupIcon, 1));
  EXPECT_EQ(group.U16(), 0);
  EXPECT_EQ(group.U16(), 1);  // icons
  ASSERT_EQ(group.U16(), 2);
  for (std::uint8_t size : {32, 16}) {
    SCOPED_TRACE("icon " + std::to_string(size));
    EXPECT_EQ(group.U8(), size);  // width
    EXPECT_EQ(group.U8(), size);  // height
    EXPECT_EQ(group.U8(), 16);    // colours
    EXPECT_EQ(group.U8(), 0);
    EXPECT_EQ(group.U16(), 1);  // planes
    EXPECT_EQ(group.U16(), 4);  // bits per pixel
    const std::uint32_t bytes = group.U32();
    const std::vector<std::uint8_t>& image = Data(kIcon, group.U16());
    EXPECT_EQ(image.size(), bytes);
    Cursor header(image);
    EXPECT_EQ(header.U32(), 40u);
    EXPECT_EQ(header.U32(), size);
    EXPECT_EQ(header.U32(), 2u * size);  // the XOR picture and the AND mask
    EXPECT_EQ(header.U16(), 1);
    EXPECT_EQ(header.U16(), 4);
  }
  EXPECT_TRUE(group.ok());
}

TEST_F(ScrResources, DescriptionIsString1) {
  // Block 1 holds strings 0 to 15, each a count and that many UTF-16 units.
  Cursor in(Data(kString, 1));
  in.U16();
  std::u16string text;
  for (std::uint16_t n = in.U16(); n > 0; --n) {
    text.push_back(static_cast<char16_t>(in.U16()));
  }
  EXPECT_EQ(Narrow(text), "LUMENFOLD no.3");
}

TEST_F(ScrResources, SamplesAreTheCommittedWaveFilesAtTheirIds) {
  std::vector<std::uint16_t> ids;
  for (const Resource& resource : resources_->resources) {
    if (resource.type == ResourceId(u"WAVE")) {
      ids.push_back(resource.name.id);
    }
  }
  std::vector<std::uint16_t> want;
  for (int slot = 0; slot < 25; ++slot) {
    const std::uint16_t id = static_cast<std::uint16_t>(slot <= 22 ? 133 + slot : 134 + slot);
    want.push_back(id);
    char name[32];
    std::snprintf(name, sizeof name, "/slot%02d.wav", slot);
    const std::vector<std::uint8_t> file = ReadFile(samplesDir + name);
    ASSERT_FALSE(file.empty()) << samplesDir + name;
    EXPECT_TRUE(Data(u"WAVE", id) == file) << "WAVE " << id << " differs from " << name;
  }
  EXPECT_EQ(ids, want);  // 133 to 155, 157, 158: no 156
}

TEST_F(ScrResources, ManifestDeclaresPerMonitorDpiAwareness) {
  const std::vector<std::uint8_t>& data = Data(kManifest, 1);
  const std::string manifest(data.begin(), data.end());
  EXPECT_NE(manifest.find("<dpiAware"), std::string::npos);
  EXPECT_NE(manifest.find("true/pm</dpiAware>"), std::string::npos);
  EXPECT_NE(manifest.find(">PerMonitorV2"), std::string::npos);
}

// Whether the UTF-16 `text` appears anywhere in `data`.
bool HoldsText(const std::vector<std::uint8_t>& data, const char* text) {
  std::vector<std::uint8_t> wide;
  for (const char* c = text; *c != 0; ++c) {
    wide.insert(wide.end(), {static_cast<std::uint8_t>(*c), 0});
  }
  return std::search(data.begin(), data.end(), wide.begin(), wide.end()) != data.end();
}

TEST_F(ScrResources, VersionResourceNamesTheSaver) {
  const std::vector<std::uint8_t>& data = Data(kVersion, 1);
  // VS_VERSIONINFO: length, value length, type, the key, padding, then VS_FIXEDFILEINFO.
  Cursor in(data);
  EXPECT_EQ(in.U16(), data.size());
  in.U16();
  in.U16();
  EXPECT_EQ(Narrow(in.Text()), "VS_VERSION_INFO");
  in.AlignTo4();
  EXPECT_EQ(in.U32(), 0xFEEF04BDu);
  in.U32();
  // The file version, major.minor then patch.0, is the project's version.
  unsigned major = 0, minor = 0, patch = 0;
  ASSERT_EQ(std::sscanf(version.c_str(), "%u.%u.%u", &major, &minor, &patch), 3) << version;
  EXPECT_EQ(in.U32(), major << 16 | minor);
  EXPECT_EQ(in.U32(), patch << 16);
  for (const char* text : {"040904E4", "Ostinel screen saver", "ostinel.scr",
                           "(c) 2026 the Ostinel team", "ProductName", version.c_str()}) {
    EXPECT_TRUE(HoldsText(data, text)) << text;
  }
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s OSTINEL.SCR SAMPLES_DIR VERSION [gtest flags]\n", argv[0]);
    return 2;
  }
  scrPath = argv[1];
  samplesDir = argv[2];
  version = argv[3];
  return RUN_ALL_TESTS();
}
