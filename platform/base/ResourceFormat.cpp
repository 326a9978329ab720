#include "platform/base/ResourceFormat.h"

#include <algorithm>
#include <cstring>

namespace device {
namespace {

constexpr uint32_t kTableMagic = 0x5345524A;  // "JRES"
constexpr uint32_t kDialogMagic = 0x474C444A; // "JDLG"
constexpr uint32_t kMenuMagic = 0x554E4D4A;   // "JMNU"
constexpr uint32_t kVersion = 1;
constexpr uint32_t kMaxText = 1u << 20;
constexpr uint32_t kMaxDepth = 16;

class Writer {
public:
    void U32(uint32_t v) { Raw(&v, 4); }
    void I32(int32_t v) { Raw(&v, 4); }
    void Text(const std::wstring& s) {
        U32(static_cast<uint32_t>(s.size()));
        Raw(s.data(), s.size() * sizeof(WCHAR));
    }
    void Bytes(const std::vector<uint8_t>& b) {
        U32(static_cast<uint32_t>(b.size()));
        Raw(b.data(), b.size());
        while (m_out.size() % 4) m_out.push_back(0);
    }
    void Raw(const void* p, size_t n) {
        if (!n) return;
        size_t at = m_out.size();
        m_out.resize(at + n);
        std::memcpy(m_out.data() + at, p, n);
    }
    void PatchU32(size_t at, uint32_t v) { std::memcpy(m_out.data() + at, &v, 4); }
    size_t Size() const { return m_out.size(); }
    std::vector<uint8_t> Take() { return std::move(m_out); }

private:
    std::vector<uint8_t> m_out;
};

class Reader {
public:
    Reader(const void* p, size_t n) : m_p(static_cast<const uint8_t*>(p)), m_n(n) {}
    bool U32(uint32_t& v) { return Raw(&v, 4); }
    bool I32(int32_t& v) { return Raw(&v, 4); }
    template <typename T> bool Num(T& out) {
        int32_t v;
        if (!I32(v)) return false;
        out = static_cast<T>(v);
        return true;
    }
    bool Text(std::wstring& s) {
        uint32_t len;
        if (!U32(len) || len > kMaxText || static_cast<size_t>(len) * sizeof(WCHAR) > m_n - m_at) return false;
        s.resize(len);
        return Raw(s.data(), len * sizeof(WCHAR));
    }
    bool Bytes(std::vector<uint8_t>& b) {
        uint32_t len;
        if (!U32(len) || len > m_n - m_at) return false;
        b.resize(len);
        if (!Raw(b.data(), len)) return false;
        while (m_at % 4 && m_at < m_n) ++m_at;
        return true;
    }
    bool Raw(void* out, size_t n) {
        if (n > m_n - m_at) return false;
        if (n) std::memcpy(out, m_p + m_at, n);
        m_at += n;
        return true;
    }
    bool AtEnd() const { return m_at == m_n; }

private:
    const uint8_t* m_p;
    size_t m_n;
    size_t m_at = 0;
};

void WriteMenuItems(Writer& w, const std::vector<MenuItemTemplate>& items) {
    w.U32(static_cast<uint32_t>(items.size()));
    for (const auto& item : items) {
        w.U32(item.flags);
        w.U32(item.id);
        w.Text(item.text);
        if (item.flags & MF_POPUP) WriteMenuItems(w, item.children);
    }
}

bool ReadMenuItems(Reader& r, std::vector<MenuItemTemplate>& items, uint32_t depth) {
    uint32_t count;
    if (depth > kMaxDepth || !r.U32(count) || count > 4096) return false;
    items.resize(count);
    for (auto& item : items) {
        uint32_t flags, id;
        if (!r.U32(flags) || !r.U32(id) || !r.Text(item.text)) return false;
        item.flags = flags;
        item.id = id;
        if ((flags & MF_POPUP) && !ReadMenuItems(r, item.children, depth + 1)) return false;
    }
    return true;
}

// Records that carry their own size: magic, total size, then the body.
size_t RecordSize(const void* data, uint32_t magic) {
    if (!data) return 0;
    uint32_t head[2];
    std::memcpy(head, data, sizeof(head));
    return head[0] == magic ? head[1] : 0;
}

} // namespace

std::vector<uint8_t> BuildResourceTable(std::vector<ResourceEntry> entries) {
    // Keep the last of duplicates, then sort for binary search.
    std::stable_sort(entries.begin(), entries.end(), [](const ResourceEntry& a, const ResourceEntry& b) {
        return a.type != b.type ? a.type < b.type : a.id < b.id;
    });
    std::vector<ResourceEntry> unique;
    for (auto& e : entries) {
        if (!unique.empty() && unique.back().type == e.type && unique.back().id == e.id) unique.back() = std::move(e);
        else unique.push_back(std::move(e));
    }
    Writer w;
    w.U32(kTableMagic);
    w.U32(kVersion);
    w.U32(static_cast<uint32_t>(unique.size()));
    size_t offset = 12 + unique.size() * 16;
    for (const auto& e : unique) {
        w.U32(e.type);
        w.U32(e.id);
        w.U32(static_cast<uint32_t>(offset));
        w.U32(static_cast<uint32_t>(e.data.size()));
        offset += (e.data.size() + 3) & ~size_t{3};
    }
    for (const auto& e : unique) {
        w.Raw(e.data.data(), e.data.size());
        static const uint8_t pad[4] = {};
        w.Raw(pad, ((e.data.size() + 3) & ~size_t{3}) - e.data.size());
    }
    return w.Take();
}

bool ResourceView::Open(const void* data, size_t size) {
    m_base = nullptr;
    m_size = m_count = 0;
    if (!data || size < 12) return false;
    uint32_t head[3];
    std::memcpy(head, data, 12);
    if (head[0] != kTableMagic || head[1] != kVersion || head[2] > (size - 12) / 16) return false;
    auto base = static_cast<const uint8_t*>(data);
    for (uint32_t i = 0; i < head[2]; ++i) {
        uint32_t e[4];
        std::memcpy(e, base + 12 + i * 16, 16);
        if (e[2] > size || e[3] > size - e[2]) return false;
    }
    m_base = base;
    m_size = size;
    m_count = head[2];
    return true;
}

bool ResourceView::Find(uint32_t type, uint32_t id, const uint8_t*& data, size_t& size) const {
    size_t lo = 0, hi = m_count;
    while (lo < hi) {
        size_t mid = (lo + hi) / 2;
        uint32_t e[4];
        std::memcpy(e, m_base + 12 + mid * 16, 16);
        if (e[0] == type && e[1] == id) {
            data = m_base + e[2];
            size = e[3];
            return true;
        }
        if (e[0] < type || (e[0] == type && e[1] < id)) lo = mid + 1;
        else hi = mid;
    }
    return false;
}

bool ResourceView::EntryAt(size_t index, uint32_t& type, uint32_t& id) const {
    if (index >= m_count) return false;
    uint32_t e[2];
    std::memcpy(e, m_base + 12 + index * 16, 8);
    type = e[0];
    id = e[1];
    return true;
}

std::vector<uint8_t> SerializeDialog(const DialogTemplate& d) {
    Writer w;
    w.U32(kDialogMagic);
    w.U32(0); // total size, patched below
    w.U32(d.style);
    w.U32(d.exStyle);
    for (short v : {d.x, d.y, d.cx, d.cy}) w.I32(v);
    w.U32(d.menuId);
    w.Text(d.className);
    w.Text(d.caption);
    w.U32(d.pointSize);
    w.U32(d.weight);
    w.U32(d.italic);
    w.Text(d.faceName);
    w.U32(static_cast<uint32_t>(d.items.size()));
    for (const auto& item : d.items) {
        w.U32(item.style);
        w.U32(item.exStyle);
        for (short v : {item.x, item.y, item.cx, item.cy}) w.I32(v);
        w.U32(item.id);
        w.Text(item.className);
        w.Text(item.text);
    }
    w.PatchU32(4, static_cast<uint32_t>(w.Size()));
    return w.Take();
}

size_t DialogRecordSize(const void* data) { return RecordSize(data, kDialogMagic); }

std::optional<DialogTemplate> ParseDialog(const void* data, size_t maxSize) {
    if (!data || maxSize < 8) return std::nullopt;
    size_t size = DialogRecordSize(data);
    if (size < 8 || size > maxSize) return std::nullopt;
    Reader r(static_cast<const uint8_t*>(data) + 8, size - 8);
    DialogTemplate d;
    uint32_t count, point, weight, italic;
    if (!r.U32(d.style) || !r.U32(d.exStyle) || !r.Num(d.x) || !r.Num(d.y) || !r.Num(d.cx) || !r.Num(d.cy) ||
        !r.U32(d.menuId) || !r.Text(d.className) || !r.Text(d.caption) || !r.U32(point) || !r.U32(weight) ||
        !r.U32(italic) || !r.Text(d.faceName) || !r.U32(count) || count > 4096)
        return std::nullopt;
    d.pointSize = static_cast<WORD>(point);
    d.weight = static_cast<WORD>(weight);
    d.italic = static_cast<BYTE>(italic);
    d.items.resize(count);
    for (auto& item : d.items) {
        if (!r.U32(item.style) || !r.U32(item.exStyle) || !r.Num(item.x) || !r.Num(item.y) || !r.Num(item.cx) ||
            !r.Num(item.cy) || !r.U32(item.id) || !r.Text(item.className) || !r.Text(item.text))
            return std::nullopt;
    }
    if (!r.AtEnd()) return std::nullopt;
    return d;
}

std::vector<uint8_t> SerializeMenu(const MenuTemplate& menu) {
    Writer w;
    w.U32(kMenuMagic);
    w.U32(0);
    WriteMenuItems(w, menu.items);
    w.PatchU32(4, static_cast<uint32_t>(w.Size()));
    return w.Take();
}

std::optional<MenuTemplate> ParseMenu(const void* data, size_t maxSize) {
    if (!data || maxSize < 8) return std::nullopt;
    size_t size = RecordSize(data, kMenuMagic);
    if (size < 8 || size > maxSize) return std::nullopt;
    Reader r(static_cast<const uint8_t*>(data) + 8, size - 8);
    MenuTemplate menu;
    if (!ReadMenuItems(r, menu.items, 0) || !r.AtEnd()) return std::nullopt;
    return menu;
}

std::vector<uint8_t> SerializeDialogInit(const std::vector<DialogInitItem>& items) {
    Writer w;
    w.U32(static_cast<uint32_t>(items.size()));
    for (const auto& item : items) {
        w.U32(item.controlId);
        w.Text(item.text);
    }
    return w.Take();
}

std::optional<std::vector<DialogInitItem>> ParseDialogInit(const void* data, size_t size) {
    if (!data) return std::nullopt;
    Reader r(data, size);
    uint32_t count;
    if (!r.U32(count) || count > 65536) return std::nullopt;
    std::vector<DialogInitItem> items(count);
    for (auto& item : items)
        if (!r.U32(item.controlId) || !r.Text(item.text)) return std::nullopt;
    if (!r.AtEnd()) return std::nullopt;
    return items;
}

std::vector<uint8_t> SerializeToolbar(const ToolbarTemplate& t) {
    Writer w;
    w.U32(t.width);
    w.U32(t.height);
    w.U32(static_cast<uint32_t>(t.ids.size()));
    for (WORD id : t.ids) w.U32(id);
    return w.Take();
}

std::optional<ToolbarTemplate> ParseToolbar(const void* data, size_t size) {
    if (!data) return std::nullopt;
    Reader r(data, size);
    uint32_t width, height, count;
    if (!r.U32(width) || !r.U32(height) || !r.U32(count) || count > 4096) return std::nullopt;
    ToolbarTemplate t;
    t.width = static_cast<WORD>(width);
    t.height = static_cast<WORD>(height);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t id;
        if (!r.U32(id)) return std::nullopt;
        t.ids.push_back(static_cast<WORD>(id));
    }
    if (!r.AtEnd()) return std::nullopt;
    return t;
}

std::vector<uint8_t> SerializeIconGroup(const std::vector<std::vector<uint8_t>>& images) {
    Writer w;
    w.U32(static_cast<uint32_t>(images.size()));
    for (const auto& image : images) w.Bytes(image);
    return w.Take();
}

std::optional<std::vector<std::vector<uint8_t>>> ParseIconGroup(const void* data, size_t size) {
    if (!data) return std::nullopt;
    Reader r(data, size);
    uint32_t count;
    if (!r.U32(count) || count > 64) return std::nullopt;
    std::vector<std::vector<uint8_t>> images(count);
    for (auto& image : images)
        if (!r.Bytes(image)) return std::nullopt;
    if (!r.AtEnd()) return std::nullopt;
    return images;
}

std::vector<uint8_t> SerializeString(const std::wstring& text) {
    std::vector<uint8_t> out((text.size() + 1) * sizeof(WCHAR), 0);
    std::memcpy(out.data(), text.c_str(), text.size() * sizeof(WCHAR));
    return out;
}

} // namespace device
