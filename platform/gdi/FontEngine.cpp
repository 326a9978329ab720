// FreeType behind the layer's fonts: face files by a fixed table, sizes from LOGFONT, metrics
// from the face's Windows metrics, and a glyph cache per font instance.
#include "platform/gdi/FontEngine.h"

#include "platform/base/CaseFold.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_SIZES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

#include <unistd.h>

namespace device::gdi {

namespace {

const char* const kLiberation = "/usr/share/fonts/truetype/liberation2/";
// Fonts made to Tahoma's metrics (Debian's fonts-wine).
const char* const kTahoma = "/usr/share/wine/fonts/";
const char* const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
// Em sizes up to which a two-level degree sign is taken from the fallback face.
constexpr int kSmallRingPixels = 12;

// Largest em size rendered, so that no request makes enormous glyph bitmaps.
constexpr int kMaxPixels = 512;

std::mutex g_libraryMutex;

FT_Library Library() {
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0) lib = nullptr;
        return lib;
    }();
    return library;
}

} // namespace

// One FreeType face per font file for the whole process, opened the first time any font uses
// the file; every font instance draws through a size object of its own on it. The mutex guards
// the face (its active size and glyph slot).
struct SharedFace {
    FT_Face face = nullptr;
    std::mutex mutex;
};

namespace {

// Null when the file cannot be opened (asked again next time).
SharedFace* SharedFaceFor(const std::string& path) {
    static auto* faces = new std::map<std::string, std::unique_ptr<SharedFace>>();
    FT_Library lib = Library();
    if (!lib) return nullptr;
    std::lock_guard<std::mutex> lock(g_libraryMutex);
    auto& slot = (*faces)[path];
    if (!slot) {
        auto f = std::make_unique<SharedFace>();
        if (FT_New_Face(lib, path.c_str(), 0, &f->face) != 0) return nullptr;
        slot = std::move(f);
    }
    return slot.get();
}

} // namespace

struct FontInstance::Face {
    SharedFace* shared = nullptr;
    FT_Size size = nullptr;
    ~Face() {
        if (size) {
            std::lock_guard<std::mutex> lock(shared->mutex);
            FT_Done_Size(size);
        }
    }
    static std::unique_ptr<Face> Open(const std::string& path, int pixels) {
        SharedFace* shared = SharedFaceFor(path);
        if (!shared) return nullptr;
        auto f = std::make_unique<Face>();
        f->shared = shared;
        std::lock_guard<std::mutex> lock(shared->mutex);
        if (FT_New_Size(shared->face, &f->size) != 0) {
            f->size = nullptr;
            return nullptr;
        }
        if (FT_Activate_Size(f->size) != 0 ||
            FT_Set_Pixel_Sizes(shared->face, 0, static_cast<FT_UInt>(pixels)) != 0) {
            FT_Done_Size(f->size);
            f->size = nullptr;
            return nullptr;
        }
        return f;
    }
};

std::vector<std::string> FontFileCandidates(const LOGFONTW& request) {
    std::wstring face(request.lfFaceName, wcsnlen(request.lfFaceName, LF_FACESIZE));
    bool bold = request.lfWeight >= FW_SEMIBOLD;
    bool italic = request.lfItalic != 0;
    std::vector<std::string> files;
    // The device's own face: Tahoma, which dialog templates name "System" and which the device
    // gives for "MS Sans Serif" too. The Tahoma-metric files have no italic.
    if (!italic && (device::EqualNoCase(face, L"Tahoma") || device::EqualNoCase(face, L"System") ||
                    device::EqualNoCase(face, L"MS Sans Serif")))
        files.push_back(std::string(kTahoma) + (bold ? "tahomabd.ttf" : "tahoma.ttf"));
    std::string family = "LiberationSans";
    if (device::EqualNoCase(face, L"Courier New") || device::EqualNoCase(face, L"Courier"))
        family = "LiberationMono";
    else if (device::EqualNoCase(face, L"Times New Roman") || device::EqualNoCase(face, L"Times"))
        family = "LiberationSerif";
    // "Arial" and every other face: Liberation Sans.
    const char* style = bold && italic ? "-BoldItalic" : bold ? "-Bold" : italic ? "-Italic" : "-Regular";
    files.push_back(std::string(kLiberation) + family + style + ".ttf");
    return files;
}

std::string FontFileFor(const LOGFONTW& request) {
    // Whether a file is there is asked once per path for the whole process.
    static std::mutex lock;
    static auto* present = new std::map<std::string, bool>();
    std::vector<std::string> files = FontFileCandidates(request);
    std::lock_guard<std::mutex> guard(lock);
    for (const std::string& file : files) {
        auto it = present->find(file);
        if (it == present->end()) it = present->emplace(file, ::access(file.c_str(), R_OK) == 0).first;
        if (it->second) return file;
    }
    return files.back();
}

FontInstance::~FontInstance() = default;

std::shared_ptr<FontInstance> FontInstance::Get(const LOGFONTW& request) {
    // Instances are shared by file, requested height and quality.
    using Key = std::tuple<std::string, LONG, bool>;
    static std::mutex cacheMutex;
    static auto* cache = new std::map<Key, std::shared_ptr<FontInstance>>();
    bool aa = request.lfQuality == ANTIALIASED_QUALITY || request.lfQuality == CLEARTYPE_QUALITY;
    Key key{FontFileFor(request), request.lfHeight, aa};
    std::lock_guard<std::mutex> lock(cacheMutex);
    auto it = cache->find(key);
    if (it != cache->end()) return it->second;
    std::shared_ptr<FontInstance> instance(new FontInstance());
    if (!instance->Open(request)) return nullptr;
    if (cache->size() > 512) cache->clear(); // holders keep theirs; the cache starts over
    cache->emplace(key, instance);
    return instance;
}

bool FontInstance::Open(const LOGFONTW& request) {
    m_request = request;
    m_path = FontFileFor(request);
    m_antialiased = request.lfQuality == ANTIALIASED_QUALITY || request.lfQuality == CLEARTYPE_QUALITY;

    // The face's units and tables do not depend on the size.
    SharedFace* shared = SharedFaceFor(m_path);
    if (!shared) return false;
    std::unique_lock<std::mutex> faceLock(shared->mutex);
    FT_Face f = shared->face;
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
    double upem = f->units_per_EM > 0 ? f->units_per_EM : 2048;
    double winAscent = os2 ? os2->usWinAscent : f->ascender;
    double winDescent = os2 ? os2->usWinDescent : -f->descender;
    if (winAscent + winDescent <= 0) winAscent = upem, winDescent = 0;

    int pixels = 12;
    if (request.lfHeight < 0)
        pixels = request.lfHeight == INT32_MIN ? kMaxPixels : static_cast<int>(-request.lfHeight);
    else if (request.lfHeight > 0)
        pixels = static_cast<int>(std::lround(request.lfHeight * upem / (winAscent + winDescent)));
    pixels = std::clamp(pixels, 1, kMaxPixels);
    faceLock.unlock();

    m_face = Face::Open(m_path, pixels);
    if (!m_face) return false;
    m_fallback = Face::Open(kDejaVuSans, pixels); // optional
    m_pixels = pixels;

    faceLock.lock();
    m_fixedPitch = FT_IS_FIXED_WIDTH(f) != 0;
    double scale = pixels / upem;
    m_ascent = static_cast<int>(std::lround(winAscent * scale));
    m_descent = static_cast<int>(std::lround(winDescent * scale));
    // A cell height request gets exactly that height.
    if (request.lfHeight > 0 && request.lfHeight <= 4 * kMaxPixels) m_descent = request.lfHeight - m_ascent;
    if (m_descent < 0) m_descent = 0;
    m_internalLeading = std::max(0, m_ascent + m_descent - pixels);
    double lineGap = f->height - (f->ascender - f->descender);
    m_externalLeading = std::max(0, static_cast<int>(std::lround(lineGap * scale)));
    m_aveCharWidth =
        os2 ? std::max(1, static_cast<int>(std::lround(os2->xAvgCharWidth * scale))) : pixels / 2;
    m_maxCharWidth = std::max(1, static_cast<int>(std::lround(f->max_advance_width * scale)));
    m_underlinePos = std::max(1, static_cast<int>(std::lround(-f->underline_position * scale)));
    m_underlineThickness = std::max(1, static_cast<int>(std::lround(f->underline_thickness * scale)));
    m_strikePos =
        os2 ? std::max(1, static_cast<int>(std::lround(os2->yStrikeoutPosition * scale))) : pixels / 3;
    return true;
}

namespace {

// A glyph's ink has an empty pixel inside its outer ring (a degree sign that is a ring, not a blob).
bool HasInnerHole(const Glyph& g) {
    for (int y = 1; y + 1 < g.height; ++y)
        for (int x = 1; x + 1 < g.width; ++x)
            if (g.coverage[static_cast<size_t>(y) * g.width + x] == 0) return true;
    return false;
}

} // namespace

// Loads and renders one glyph of a face at this instance's size; twoLevelHinting hints the
// outline for two-level drawing.
Glyph FontInstance::RenderFrom(Face* used, unsigned index, bool twoLevelHinting) {
    Glyph g;
    // The shared face draws at this instance's size while the lock is held.
    std::lock_guard<std::mutex> lock(used->shared->mutex);
    FT_Face face = used->shared->face;
    if (FT_Activate_Size(used->size) != 0) return g;
    const FT_Int32 load = twoLevelHinting ? FT_LOAD_TARGET_MONO : (FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT);
    if (FT_Load_Glyph(face, index, load) != 0) return g;
    FT_GlyphSlot slot = face->glyph;
    g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    if (FT_Render_Glyph(slot, m_antialiased ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) return g;
    const FT_Bitmap& bm = slot->bitmap;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = static_cast<int>(bm.width);
    g.height = static_cast<int>(bm.rows);
    g.coverage.assign(static_cast<size_t>(g.width) * g.height, 0);
    for (int y = 0; y < g.height; ++y) {
        const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(bm.pitch) * y;
        if (bm.pitch < 0) row = bm.buffer + static_cast<ptrdiff_t>(-bm.pitch) * (g.height - 1 - y);
        for (int x = 0; x < g.width; ++x) {
            uint8_t v =
                bm.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0) : row[x];
            g.coverage[static_cast<size_t>(y) * g.width + x] = v;
        }
    }
    return g;
}

Glyph FontInstance::Render(char32_t c) {
    // Control characters take no room and draw nothing.
    if (c < 0x20 || c == 0x7F) return Glyph{};
    Face* own = m_face.get();
    FT_UInt index = 0;
    {
        std::lock_guard<std::mutex> lock(own->shared->mutex);
        index = FT_Get_Char_Index(own->shared->face, c);
    }
    auto fallbackIndex = [this, c]() -> FT_UInt {
        if (!m_fallback) return 0;
        std::lock_guard<std::mutex> lock(m_fallback->shared->mutex);
        return FT_Get_Char_Index(m_fallback->shared->face, c);
    };
    if (index == 0) {
        FT_UInt other = fallbackIndex();
        return other ? RenderFrom(m_fallback.get(), other, false) : RenderFrom(own, 0, false);
    }
    // A degree sign a few pixels high drawn in two levels can come out as a solid block (Liberation
    // Sans does): hinted for two levels it is taken from the face when that keeps the ring open,
    // else from the fallback face, with the face's own advance so plain and smoothed text measure
    // alike.
    if (c == 0xB0 && !m_antialiased && m_pixels <= kSmallRingPixels) {
        Glyph ring = RenderFrom(own, index, true);
        if (HasInnerHole(ring)) return ring;
        Glyph plain = RenderFrom(own, index, false);
        if (FT_UInt other = fallbackIndex()) {
            Glyph borrowed = RenderFrom(m_fallback.get(), other, true);
            if (HasInnerHole(borrowed)) {
                borrowed.advance = plain.advance;
                return borrowed;
            }
        }
        return plain;
    }
    return RenderFrom(own, index, false);
}

const Glyph& FontInstance::GetGlyph(char32_t c) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (c < 256) {
        auto& slot = m_latin[c];
        if (!slot) slot = std::make_unique<Glyph>(Render(c));
        return *slot;
    }
    auto& slot = m_glyphs[c];
    if (!slot) slot = std::make_unique<Glyph>(Render(c));
    return *slot;
}

} // namespace device::gdi
