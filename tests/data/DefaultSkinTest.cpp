// default.skn checked the way the skin validator checks it (every section and
// key present, colours numeric, every folder and image there), plus the
// format rules its readers and the skin writer rely on, and the image sets.
#include "ShippedFiles.h"

#include "clocks/ClockLayout.h"
#include "platform/gdi/ImageFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

using namespace shippedtest;
namespace fs = std::filesystem;

namespace {

enum class Kind { Text, Folder, Colour, FolderOfPath, ImageP, ImageL, ImageS, ImageRoot };

struct Check {
    const char* section;
    const char* key;
    Kind kind;
};

// The validator's table, in its order.
const Check kChecks[] = {
    {"Description", "N", Kind::Text},
    {"Common Folders", "P", Kind::Folder}, {"Common Folders", "L", Kind::Folder},
    {"Common Folders", "S", Kind::Folder},
    {"General", "TBC", Kind::Colour}, {"General", "PC", Kind::Colour}, {"General", "PTC", Kind::Colour},
    {"General", "IF", Kind::FolderOfPath},
    {"Clocks", "BP", Kind::ImageP}, {"Clocks", "BL", Kind::ImageL}, {"Clocks", "BS", Kind::ImageS},
    {"Clocks", "CMDC", Kind::Colour}, {"Clocks", "CMD", Kind::Colour}, {"Clocks", "CMCN", Kind::Colour},
    {"Clocks", "CMSC", Kind::Colour}, {"Clocks", "CMAC", Kind::Colour}, {"Clocks", "CODC", Kind::Colour},
    {"Clocks", "COD", Kind::Colour}, {"Clocks", "COCN", Kind::Colour}, {"Clocks", "COAC", Kind::Colour},
    {"Weather", "BP", Kind::ImageP}, {"Weather", "BL", Kind::ImageL}, {"Weather", "BS", Kind::ImageS},
    {"Weather", "WICOF", Kind::FolderOfPath},
    {"Weather", "CBBC", Kind::Colour}, {"Weather", "CBTC", Kind::Colour}, {"Weather", "FBBC", Kind::Colour},
    {"Weather", "FBTC", Kind::Colour}, {"Weather", "SATC", Kind::Colour}, {"Weather", "DAYSC", Kind::Colour},
    {"Weather", "CNSC", Kind::Colour}, {"Weather", "MOREC", Kind::Colour},
    {"Map", "BP", Kind::ImageP}, {"Map", "BL", Kind::ImageL}, {"Map", "BS", Kind::ImageS},
    {"Map", "MI", Kind::ImageRoot},
    {"Map", "CNC", Kind::Colour}, {"Map", "DCC", Kind::Colour}, {"Map", "ACC", Kind::Colour},
    {"Map", "DC", Kind::Colour}, {"Map", "DLC", Kind::Colour}, {"Map", "RSTBC", Kind::Colour},
    {"Map", "RSTTC", Kind::Colour}, {"Map", "RSIBC", Kind::Colour}, {"Map", "RSITC", Kind::Colour},
    {"Map", "SHADCLR", Kind::Colour},
    {"Currency", "SumC", Kind::Colour}, {"Currency", "STC", Kind::Colour}, {"Currency", "PanC", Kind::Colour},
    {"Currency", "PCEC", Kind::Colour}, {"Currency", "PBC", Kind::Colour}, {"Currency", "UPDC", Kind::Colour},
    {"Currency", "BKC", Kind::Colour},  // read by the currency page and written by the skin writer
    {"Tools", "BC", Kind::ImageP}, {"Tools", "PCC", Kind::Colour}, {"Tools", "PCTC", Kind::Colour},
    {"Tools", "PBCC", Kind::Colour}, {"Tools", "TLC", Kind::Colour}, {"Tools", "BD", Kind::ImageP},
    {"Tools", "PCD", Kind::Colour}, {"Tools", "PCTD", Kind::Colour}, {"Tools", "BS", Kind::ImageP},
    {"Tools", "PCS", Kind::Colour}, {"Tools", "PBCS", Kind::Colour}, {"Tools", "TC1S", Kind::Colour},
    {"Tools", "TC2S", Kind::Colour}, {"Tools", "TTCS", Kind::Colour}, {"Tools", "BP", Kind::ImageP},
    {"Tools", "PCP", Kind::Colour}, {"Tools", "PBCP", Kind::Colour},
};

// Device paths ("\Portrait\clocks.jpg") under the data folder.
fs::path Host(const std::string& devicePath) {
    std::string p = devicePath;
    for (char& c : p)
        if (c == '\\') c = '/';
    return fs::path(DataDir().string() + p);
}

std::string SkinText() { return TokenReader(ReadAll(DataDir() / "default.skn")).Next('<'); }

}  // namespace

TEST(DefaultSkin, HasTheFileLayoutItsReadersAndWriterExpect) {
    std::string file = ReadAll(DataDir() / "default.skn");
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(file.back(), '<');
    EXPECT_EQ(file.substr(file.size() - 5), "*\r\n\n<") << "as the skin writer ends a file";
    std::string text = SkinText();
    EXPECT_LE(text.size(), 1499u) << "readers take the whole file as one token";
    // the text up to "*" gives the same sections as the text up to "<"
    std::string toStar = TokenReader(file).Next('*');
    for (const Check& c : kChecks)
        EXPECT_EQ(SkinValue(SkinSection(toStar, c.section), c.key),
                  SkinValue(SkinSection(text, c.section), c.key));
    // every line ends in CR LF and every section is closed by ">"
    std::vector<std::string> lines = Split(text.substr(0, text.size() - 1), '\n');
    int open = 0;
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        ASSERT_FALSE(lines[i].empty());
        EXPECT_EQ(lines[i].back(), '\r') << lines[i];
        std::string line = lines[i].substr(0, lines[i].size() - 1);
        if (line[0] == '[') {
            EXPECT_EQ(open, 0) << "section opened before the previous one closed";
            ++open;
        } else if (line == ">") {
            EXPECT_EQ(open, 1);
            --open;
        } else if (line != "*") {
            EXPECT_EQ(open, 1) << "key outside a section: " << line;
            EXPECT_NE(line.find('@'), std::string::npos);
        }
    }
}

TEST(DefaultSkin, PassesEveryValidatorCheck) {
    std::string text = SkinText();
    std::string folders = SkinSection(text, "Common Folders");
    std::string shapeFolder[3] = {SkinValue(folders, "P"), SkinValue(folders, "L"), SkinValue(folders, "S")};
    for (const Check& c : kChecks) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        std::string section = SkinSection(text, c.section);
        ASSERT_NE(section, "!.!");
        std::string value = SkinValue(section, c.key);
        ASSERT_NE(value, "!.!");
        switch (c.kind) {
            case Kind::Text: EXPECT_FALSE(value.empty()); break;
            case Kind::Folder: EXPECT_TRUE(fs::is_directory(Host(value))) << value; break;
            case Kind::FolderOfPath:
                EXPECT_TRUE(fs::is_directory(Host(value.substr(0, value.rfind('\\'))))) << value;
                EXPECT_EQ(value.back(), '\\') << "image folders end with a backslash";
                break;
            case Kind::Colour: {
                ASSERT_TRUE(IsInteger(value)) << value;
                unsigned long v = std::strtoul(value.c_str(), nullptr, 10);
                EXPECT_LE(v / 1000000, 255u);
                EXPECT_LE(v % 1000000 / 1000, 255u);
                EXPECT_LE(v % 1000, 255u);
                break;
            }
            case Kind::ImageP: EXPECT_TRUE(fs::is_regular_file(Host(shapeFolder[0] + value))) << value; break;
            case Kind::ImageL: EXPECT_TRUE(fs::is_regular_file(Host(shapeFolder[1] + value))) << value; break;
            case Kind::ImageS: EXPECT_TRUE(fs::is_regular_file(Host(shapeFolder[2] + value))) << value; break;
            case Kind::ImageRoot: EXPECT_TRUE(fs::is_regular_file(Host(value))) << value; break;
        }
    }
}

TEST(DefaultSkin, PageImagesHaveTheSizesOfTheirLayouts) {
    struct Expect {
        const char* file;
        int w, h;
    } expects[] = {
        {"Portrait/clocks.jpg", 240, 245},   {"Landscape/clocks.jpg", 320, 165},
        {"Square/clocks.jpg", 240, 165},     {"Portrait/weather.jpg", 240, 245},
        {"Landscape/weather.jpg", 320, 165}, {"Square/weather.jpg", 240, 165},
        {"Portrait/mappanel.jpg", 240, 103}, {"Landscape/mappanel.jpg", 320, 79},
        {"Square/mappanel.jpg", 240, 79},    {"Portrait/convert.jpg", 240, 245},
        {"Portrait/dial.jpg", 240, 245},     {"Portrait/cloths.jpg", 240, 245},
        {"Portrait/pack.jpg", 240, 245},     {"worldmap.jpg", 240, 140},
        {"day.jpg", 300, 150},  // drawn at half its height: keeps the world at 2:1
    };
    for (const Expect& e : expects) {
        ImageSize size = JpegSize(ReadAll(DataDir() / e.file));
        EXPECT_EQ(size.width, e.w) << e.file;
        EXPECT_EQ(size.height, e.h) << e.file;
    }
}

TEST(DefaultSkin, EveryToolbarSetHoldsTheTabAndToolBitmaps) {
    const char* names[] = {"clocks", "map", "tools", "clocks1", "map1", "tools1", "weath", "weath1",
                           "curr", "curr1", "convert", "dial", "cloths", "pack", "news"};
    int sets = 0;
    for (const auto& entry : fs::directory_iterator(DataDir())) {
        std::string folder = entry.path().filename().string();
        if (!entry.is_directory() || folder.rfind("toolbar", 0) != 0) continue;
        ++sets;
        for (const char* name : names) {
            SCOPED_TRACE(folder + "/" + name);
            std::string bytes = ReadAll(entry.path() / (std::string(name) + ".bmp"));
            ImageSize size = BmpSize(bytes);
            EXPECT_EQ(size.width, 23);
            EXPECT_EQ(size.height, 23);
            ASSERT_EQ(size.bits, 24);
            // the magenta key must show somewhere, or the icon draws as a square
            bool keyed = false;
            for (size_t i = 54; i + 2 < bytes.size(); i += 3)
                keyed |= bytes[i] == '\xff' && bytes[i + 1] == '\0' && bytes[i + 2] == '\xff';
            EXPECT_TRUE(keyed);
        }
    }
    EXPECT_GE(sets, 2);
}

// The map page darkens the night side by ANDing every pixel of the map with the skin's shadow
// colour: in each shipped skin, at night land and sea must still be told apart, and night must
// look darker than day on every pixel, so that no speck of day shows through the shadow.
TEST(DefaultSkin, NightShadeKeepsTheContinentsOnTheMap) {
    for (const char* skin : {"default.skn", "night.skn"}) {
        SCOPED_TRACE(skin);
        const std::string map = SkinSection(TokenReader(ReadAll(DataDir() / skin)).Next('<'), "Map");
        const unsigned long mask = std::strtoul(SkinValue(map, "SHADCLR").c_str(), nullptr, 10);
        const int maskRgb[3] = {static_cast<int>(mask / 1000000), static_cast<int>(mask / 1000 % 1000),
                                static_cast<int>(mask % 1000)};
        std::unique_ptr<device::gdi::Bitmap> image = device::gdi::LoadImageFile(Host(SkinValue(map, "MI")));
        ASSERT_TRUE(image);
        struct Rgb {
            int c[3];
            int Sum() const { return c[0] + c[1] + c[2]; }
        };
        auto pixel = [&](int x, int y, bool night) {
            const uint32_t rgb = image->Get(x, y);
            Rgb p{{static_cast<int>(rgb >> 16 & 0xFF), static_cast<int>(rgb >> 8 & 0xFF), static_cast<int>(rgb & 0xFF)}};
            if (night)
                for (int k = 0; k < 3; ++k) p.c[k] &= maskRgb[k];
            return p;
        };
        auto at = [&](double lon, double lat, bool night) {
            return pixel(static_cast<int>((lon + 180) / 360 * image->Width()),
                         static_cast<int>((90 - lat) / 180 * image->Height()), night);
        };
        int brightAtNight = 0;
        for (int y = 0; y < image->Height(); ++y)
            for (int x = 0; x < image->Width(); ++x) {
                const Rgb day = pixel(x, y, false), night = pixel(x, y, true);
                for (int k = 0; k < 3; ++k) brightAtNight += night.c[k] + 64 > day.c[k];
            }
        EXPECT_EQ(brightAtNight, 0) << "channels the shadow leaves (nearly) as bright as by day";
        // Central Africa, Brazil, Siberia; the Pacific, the South Atlantic, the Indian Ocean.
        const double land[3][2] = {{22, 5}, {-55, -10}, {100, 62}};
        const double sea[3][2] = {{-150, 0}, {-20, -30}, {75, -25}};
        for (const auto& l : land) {
            const Rgb day = at(l[0], l[1], false), night = at(l[0], l[1], true);
            EXPECT_LT(night.Sum() * 10, day.Sum() * 7) << "night is clearly darker than day";
            EXPECT_GE(night.Sum(), 120) << "land stays visible at night";
            for (const auto& s : sea) {
                const Rgb water = at(s[0], s[1], true);
                int distance = 0;
                for (int k = 0; k < 3; ++k) distance += std::abs(night.c[k] - water.c[k]);
                EXPECT_GE(distance, 80) << "land " << l[0] << "," << l[1] << " against sea " << s[0] << "," << s[1];
            }
        }
    }
}

// The World Clocks page draws only texts and hands over its image: each image of both shipped
// skins is laid 1:1 on its shape's page, with a dial under every clock's hands (a dark hub on a
// light face in the default skin, the other way round in the Night skin) and the sun icon and
// "[i]" button inside the areas where the page takes their taps.
TEST(DefaultSkin, ClockImagesCarryTheDialsAndIconsWhereThePageExpectsThem) {
    struct Shape {
        const char* file;
        int workWidth, workHeight, screenHeight;
        bool square;
    } shapes[] = {{"Portrait/clocks.jpg", 240, 294, 320, false},
                  {"Landscape/clocks.jpg", 320, 214, 240, false},
                  {"Square/clocks.jpg", 240, 214, 240, true}};
    for (const std::string folder : {"", "Night/"}) {
        for (const Shape& shape : shapes) {
            SCOPED_TRACE(folder + shape.file);
            const bool lightFace = folder.empty();
            const ClockGeometry g = ClockGeometry::Compute(shape.workWidth, shape.workHeight, 26, shape.screenHeight,
                                                           shape.square);
            std::unique_ptr<device::gdi::Bitmap> image = device::gdi::LoadImageFile(DataDir() / (folder + shape.file));
            ASSERT_TRUE(image);
            ASSERT_EQ(image->Width(), g.W);
            ASSERT_EQ(image->Height(), g.A + 3);
            auto pixel = [&](int x, int y, int k) { return static_cast<int>(image->Get(x, y) >> (16 - 8 * k) & 0xFF); };
            auto sum = [&](int x, int y) { return pixel(x, y, 0) + pixel(x, y, 1) + pixel(x, y, 2); };
            auto anyInside = [&](const RECT& r, auto&& test) {
                for (int y = std::max(0, static_cast<int>(r.top) + 1); y < r.bottom; ++y)
                    for (int x = r.left + 1; x < r.right; ++x)
                        if (test(x, y)) return true;
                return false;
            };
            for (int clock = 0; clock < 5; ++clock) {
                SCOPED_TRACE("clock " + std::to_string(clock));
                const RECT face = g.FaceRect(clock);
                const POINT centre = ClockGeometry::FaceCentre(face);
                const int hub = sum(centre.x, centre.y), dial = sum(centre.x - (face.right - face.left) / 4, centre.y);
                if (lightFace) {
                    EXPECT_LT(hub, 300) << "the dial's hub, where the hands turn";
                    EXPECT_GT(dial, 690) << "the dial's face";
                } else {
                    EXPECT_GT(hub, 450) << "the dial's hub, where the hands turn";
                    EXPECT_LT(dial, 150) << "the dial's face";
                }
                EXPECT_TRUE(anyInside(g.SunIconArea(clock), [&](int x, int y) {
                    return pixel(x, y, 0) - pixel(x, y, 2) >= 150; // the sun's amber
                }));
                EXPECT_TRUE(anyInside(g.InfoButtonArea(clock), [&](int x, int y) {
                    return pixel(x, y, 2) - pixel(x, y, 0) >= 70 && sum(x, y) < 420; // the button's blue
                }));
            }
        }
    }
}

namespace {

struct Colour {
    int r, g, b;
};

Colour ColourOf(unsigned long value) {
    return {static_cast<int>(value / 1000000), static_cast<int>(value / 1000 % 1000), static_cast<int>(value % 1000)};
}

Colour SkinColourOf(const std::string& section, const char* key) {
    const std::string value = SkinValue(section, key);
    EXPECT_FALSE(value.empty()) << key;
    return ColourOf(std::strtoul(value.c_str(), nullptr, 10));
}

double Luminance(Colour c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b);
}

double Contrast(Colour a, Colour b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Colours the pages draw with whatever the skin says: the default text colour of the
// currency page's "=" and currency codes, the dark line-button arrows and save icon of the
// resources, the Tools pages' light-grey page brush under the clothing chart's title, and the
// clothing note and packing-list hint written over the portrait images.
const Colour kBlack{0, 0, 0};
const Colour kArrowIcon{32, 60, 99};
const Colour kSaveIcon{30, 57, 94};
const Colour kToolPageBrush{238, 238, 238};
const Colour kClothesNote{0, 86, 130};
const Colour kPackHint{0, 0, 255};
constexpr double kReadable = 3.0;

}  // namespace

// Each shipped skin gives the pages colours their own fixed colours stay readable on (at least
// 3:1 in relative luminance, the least for large text and icons).
TEST(DefaultSkin, PagesFixedColoursStayReadableOnTheSkinsColours) {
    for (const char* skin : {"default.skn", "night.skn"}) {
        SCOPED_TRACE(skin);
        const std::string text = TokenReader(ReadAll(DataDir() / skin)).Next('<');
        const std::string currency = SkinSection(text, "Currency");
        const Colour page = SkinColourOf(currency, "BKC"), panel = SkinColourOf(currency, "PanC");
        EXPECT_GE(Contrast(kBlack, page), kReadable) << "\"=\" and the currency codes on BKC";
        EXPECT_GE(Contrast(kArrowIcon, panel), kReadable) << "the line buttons' arrows on PanC";
        for (const char* key : {"PCEC", "PBC", "UPDC"})
            EXPECT_GE(Contrast(SkinColourOf(currency, key), panel), kReadable) << key << " on PanC";

        const std::string tools = SkinSection(text, "Tools");
        const Colour chartText = SkinColourOf(tools, "TTCS");
        EXPECT_GE(Contrast(chartText, kToolPageBrush), kReadable) << "the chart title on the page brush";
        for (const char* row : {"TC1S", "TC2S"})
            EXPECT_GE(Contrast(chartText, SkinColourOf(tools, row)), kReadable) << "TTCS on " << row;
        EXPECT_GE(Contrast(kSaveIcon, SkinColourOf(tools, "PCP")), kReadable) << "the save icon on PCP";

        // The portrait images are laid 1:1 on the page (width x page height + 3): the
        // clothing note at (5, 170), the packing hint at (5, page height - 16), 11 pixels high.
        const std::string portrait = SkinValue(SkinSection(text, "Common Folders"), "P");
        struct Line {
            const char* key;
            Colour colour;
            int top;  // from the image's top, or, when negative, from its foot
            int width;
        };
        for (const Line& line : {Line{"BS", kClothesNote, 170, 190}, Line{"BP", kPackHint, -19, 120}}) {
            SCOPED_TRACE(line.key);
            std::unique_ptr<device::gdi::Bitmap> image =
                device::gdi::LoadImageFile(Host(portrait + SkinValue(tools, line.key)));
            ASSERT_TRUE(image);
            const int top = line.top >= 0 ? line.top : image->Height() + line.top;
            double worst = 100;
            for (int y = top; y < top + 11; ++y)
                for (int x = 5; x < 5 + line.width; ++x) {
                    const uint32_t rgb = image->Get(x, y);
                    const Colour under{static_cast<int>(rgb >> 16 & 0xFF), static_cast<int>(rgb >> 8 & 0xFF),
                                       static_cast<int>(rgb & 0xFF)};
                    worst = std::min(worst, Contrast(line.colour, under));
                }
            EXPECT_GE(worst, kReadable);
        }
    }
}
