#pragma once
// Fonts: LOGFONT requests mapped to fixed font files (the same on every machine), rendered by
// FreeType with light hinting so that advances are whole pixels and extents are stable.
//
// Face table: "Tahoma", "System" (the dialog templates' name for it) and "MS Sans Serif" (which
// the device also draws in Tahoma) use the files made to Tahoma's metrics (regular and bold),
// so that the device's dialogs measure as on the device; "Arial" and every unknown face use
// Liberation Sans (regular, bold, italic, bold italic), as does Tahoma italic and Tahoma on a
// machine without those files. Characters a face lacks are taken from DejaVu Sans. Nothing is
// looked up through fontconfig, so what else a machine has installed never changes a layout.
//
// Sizes: a negative lfHeight is the em height in pixels; a positive one the cell height
// (ascent + descent from the face's Windows metrics); 0 is 12 pixels (the device's default).
// Weights from 600 up are bold; 500 is regular.

#include "platform/gdi/WinGdi.h"

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace device::gdi {

struct Glyph {
    int advance = 0; // pixels to the next glyph's origin
    int left = 0;    // bitmap's left edge from the origin
    int top = 0;     // bitmap's top edge above the baseline
    int width = 0;
    int height = 0;
    std::vector<uint8_t> coverage; // width x height, 0-255 (0/255 when not antialiased)
};

class FontInstance {
public:
    // Null when no font file can be opened.
    static std::shared_ptr<FontInstance> Get(const LOGFONTW& request);
    ~FontInstance();

    const LOGFONTW& Request() const { return m_request; }
    int Ascent() const { return m_ascent; }
    int Descent() const { return m_descent; }
    int Height() const { return m_ascent + m_descent; }
    int InternalLeading() const { return m_internalLeading; }
    int ExternalLeading() const { return m_externalLeading; }
    int AveCharWidth() const { return m_aveCharWidth; }
    int MaxCharWidth() const { return m_maxCharWidth; }
    int UnderlinePosition() const { return m_underlinePos; } // rows below the baseline
    int UnderlineThickness() const { return m_underlineThickness; }
    int StrikeoutPosition() const { return m_strikePos; } // rows above the baseline
    bool Antialiased() const { return m_antialiased; }
    bool FixedPitch() const { return m_fixedPitch; }
    const std::string& FilePath() const { return m_path; }

    // The glyph of a character, rendered once and kept (the cache is keyed by this instance's
    // face, size and weight, and the character). The reference stays valid while the instance lives.
    const Glyph& GetGlyph(char32_t c);
    int Advance(char32_t c) { return GetGlyph(c).advance; }

private:
    FontInstance() = default;
    struct Face;
    bool Open(const LOGFONTW& request);
    Glyph Render(char32_t c);
    Glyph RenderFrom(Face* face, unsigned index, bool twoLevelHinting);

    LOGFONTW m_request{};
    std::string m_path;
    std::unique_ptr<Face> m_face;
    std::unique_ptr<Face> m_fallback;
    bool m_antialiased = false;
    int m_pixels = 12; // em height
    bool m_fixedPitch = false;
    int m_ascent = 0, m_descent = 0, m_internalLeading = 0, m_externalLeading = 0;
    int m_aveCharWidth = 0, m_maxCharWidth = 0;
    int m_underlinePos = 1, m_underlineThickness = 1, m_strikePos = 3;
    std::mutex m_mutex;
    std::array<std::unique_ptr<Glyph>, 256> m_latin; // fast path for the first 256 characters
    std::unordered_map<char32_t, std::unique_ptr<Glyph>> m_glyphs;
};

// The font files a request may use, the preferred first and a Liberation file last.
std::vector<std::string> FontFileCandidates(const LOGFONTW& request);
// The font file a request maps to: the first of its candidates present on this machine.
std::string FontFileFor(const LOGFONTW& request);

} // namespace device::gdi
