#pragma once
// Small readers of the shipped data files for the tests: they follow the
// program's byte-by-byte token rule so that the files are checked the way the
// program will read them.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace shippedtest {

inline std::filesystem::path DataDir() { return JORVANA_DATA_DIR; }

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A text read the way the program reads it: up to a one-character delimiter,
// which is consumed; the end of the text ends every token.
class TokenReader {
public:
    explicit TokenReader(std::string text) : m_text(std::move(text)) {}
    std::string Next(char delimiter) {
        std::string token;
        while (m_pos < m_text.size()) {
            char c = m_text[m_pos++];
            if (c == delimiter) return token;
            token += c;
        }
        m_atEnd = true;
        return token;
    }
    bool AtEnd() const { return m_pos >= m_text.size(); }
    bool RanOut() const { return m_atEnd; }  // a token was cut by the end of the text

private:
    std::string m_text;
    size_t m_pos = 0;
    bool m_atEnd = false;
};

inline std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : text) {
        if (c == sep) {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    parts.push_back(cur);
    return parts;
}

// Whole decimal integer text, sign allowed, nothing else.
inline bool IsInteger(const std::string& s) {
    size_t i = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
    if (i == s.size()) return false;
    for (; i < s.size(); ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

// The lookups every skin reader uses.
inline std::string SkinSection(const std::string& text, const std::string& name) {
    size_t at = text.find("[" + name + "]");
    if (at == std::string::npos) return "!.!";
    std::string rest = text.substr(at);
    size_t end = rest.find('>');
    if (end == std::string::npos) end = rest.find('*');
    return end == std::string::npos ? std::string() : rest.substr(0, end);
}

inline std::string SkinValue(const std::string& section, const std::string& key) {
    size_t at = section.find(key + "@");
    if (at == std::string::npos) return "!.!";
    std::string rest = section.substr(at + key.size() + 1);
    size_t nl = rest.find('\n');
    if (nl == std::string::npos || nl == 0) return std::string();
    return rest.substr(0, nl - 1);
}

// The condition-code lookup: the text before "@" of the first line (before
// the line holding ">") that contains the key anywhere; else "na".
inline std::string LookupImageMapping(const std::string& mapping, const std::string& key) {
    TokenReader reader(mapping);
    while (!reader.AtEnd()) {
        std::string line = reader.Next('\n');
        if (line.find('>') != std::string::npos) return "na";
        if (line.find(key) != std::string::npos) {
            size_t at = line.find('@');
            return at == std::string::npos ? std::string() : line.substr(0, at);
        }
    }
    return "na";
}

struct ImageSize {
    int width = 0;
    int height = 0;
    int bits = 0;
};

// Width, height and bit depth from a BMP file header; zeros when it is none.
inline ImageSize BmpSize(const std::string& bytes) {
    ImageSize size;
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return size;
    auto le32 = [&](size_t at) {
        return static_cast<int>(static_cast<unsigned char>(bytes[at]) |
                                static_cast<unsigned char>(bytes[at + 1]) << 8 |
                                static_cast<unsigned char>(bytes[at + 2]) << 16 |
                                static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 3])) << 24);
    };
    size.width = le32(18);
    size.height = le32(22);
    size.bits = static_cast<unsigned char>(bytes[28]) | static_cast<unsigned char>(bytes[29]) << 8;
    return size;
}

// Width and height from the first start-of-frame marker of a JPEG file.
inline ImageSize JpegSize(const std::string& bytes) {
    ImageSize size;
    auto byte = [&](size_t at) { return static_cast<unsigned char>(bytes[at]); };
    if (bytes.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8) return size;
    size_t pos = 2;
    while (pos + 9 < bytes.size()) {
        if (byte(pos) != 0xFF) return size;
        unsigned marker = byte(pos + 1);
        size_t length = byte(pos + 2) << 8 | byte(pos + 3);
        bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                     marker != 0xCC;
        if (frame) {
            size.height = byte(pos + 5) << 8 | byte(pos + 6);
            size.width = byte(pos + 7) << 8 | byte(pos + 8);
            size.bits = 8 * byte(pos + 9);
            return size;
        }
        pos += 2 + length;
    }
    return size;
}

}  // namespace shippedtest
