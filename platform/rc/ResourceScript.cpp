#include "platform/rc/ResourceScript.h"
#include "platform/base/Utf8.h"

#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace device::rc {
namespace fs = std::filesystem;

namespace {

// Default styles of the statements, with the device's values.
constexpr DWORD kChild = 0x40000000, kVisible = 0x10000000, kTabStop = 0x00010000, kGroup = 0x00020000,
                kBorder = 0x00800000, kSetFont = 0x00000040;

struct Failure {
    std::string message;
};

struct Token {
    enum Kind { End, Ident, Number, String, Punct } kind = End;
    std::string text;   // identifier or punctuation, raw
    std::wstring str;   // decoded string literal
    int64_t number = 0;
    int line = 0;
};

class Lexer {
public:
    Lexer(std::string text, std::string file) : m_text(std::move(text)), m_file(std::move(file)) {}

    [[noreturn]] void Fail(int line, const std::string& message) const {
        throw Failure{m_file + ":" + std::to_string(line) + ": " + message};
    }

    // The next token; preprocessor lines are handed to `directive` whole.
    template <typename Directive> Token Next(Directive&& directive) {
        for (;;) {
            SkipSpaceAndComments();
            if (m_pos >= m_text.size()) return Token{Token::End, "", L"", 0, m_line};
            if (m_text[m_pos] == '#' && AtLineStart()) {
                int line = m_line;
                std::string content = ReadLine();
                directive(content, line);
                continue;
            }
            return Read();
        }
    }

    const std::string& File() const { return m_file; }

private:
    bool AtLineStart() const {
        for (size_t p = m_pos; p > 0; --p) {
            char c = m_text[p - 1];
            if (c == '\n') return true;
            if (c != ' ' && c != '\t' && c != '\r') return false;
        }
        return true;
    }

    std::string ReadLine() {
        std::string out;
        while (m_pos < m_text.size() && m_text[m_pos] != '\n') {
            if (m_text[m_pos] == '\\' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\n') {
                m_pos += 2;
                ++m_line;
                continue;
            }
            out += m_text[m_pos++];
        }
        return out;
    }

    void SkipSpaceAndComments() {
        while (m_pos < m_text.size()) {
            char c = m_text[m_pos];
            if (c == '\n') {
                ++m_line;
                ++m_pos;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++m_pos;
            } else if (c == '/' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '/') {
                while (m_pos < m_text.size() && m_text[m_pos] != '\n') ++m_pos;
            } else if (c == '/' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '*') {
                int start = m_line;
                m_pos += 2;
                while (m_pos + 1 < m_text.size() && !(m_text[m_pos] == '*' && m_text[m_pos + 1] == '/')) {
                    if (m_text[m_pos] == '\n') ++m_line;
                    ++m_pos;
                }
                if (m_pos + 1 >= m_text.size()) Fail(start, "comment not closed");
                m_pos += 2;
            } else {
                return;
            }
        }
    }

    Token Read() {
        Token t;
        t.line = m_line;
        char c = m_text[m_pos];
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            t.kind = Token::Ident;
            while (m_pos < m_text.size() && (std::isalnum(static_cast<unsigned char>(m_text[m_pos])) || m_text[m_pos] == '_'))
                t.text += m_text[m_pos++];
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            t.kind = Token::Number;
            size_t used = 0;
            std::string rest = m_text.substr(m_pos, 32);
            try {
                t.number = static_cast<int64_t>(std::stoull(rest, &used, 0));
            } catch (...) {
                Fail(m_line, "bad number");
            }
            m_pos += used;
            while (m_pos < m_text.size() && (m_text[m_pos] == 'L' || m_text[m_pos] == 'l' || m_text[m_pos] == 'U' || m_text[m_pos] == 'u'))
                ++m_pos;
            t.text = rest.substr(0, used);
        } else if (c == '"') {
            t.kind = Token::String;
            ++m_pos;
            std::string bytes, why;
            if (!ReadQuotedText(m_text, m_pos, bytes, why)) Fail(t.line, why);
            t.str = FromUtf8(bytes);
        } else {
            t.kind = Token::Punct;
            if ((c == '<' || c == '>') && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == c) {
                t.text = std::string(2, c);
                m_pos += 2;
            } else {
                t.text = std::string(1, c);
                ++m_pos;
            }
        }
        return t;
    }

    std::string m_text;
    std::string m_file;
    size_t m_pos = 0;
    int m_line = 1;
};

std::string Upper(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

class Compiler {
public:
    explicit Compiler(std::vector<fs::path> includeDirs) : m_includeDirs(std::move(includeDirs)) {}

    void CompileText(const std::string& text, const fs::path& name) {
        m_dependencies.push_back(name);
        m_folder = name.parent_path();
        Lexer lexer(text, name.string());
        m_lexer = &lexer;
        Advance();
        while (m_tok.kind != Token::End) Statement();
        m_lexer = nullptr;
    }

    std::vector<ResourceEntry> entries;
    std::vector<fs::path> m_dependencies;

private:
    // ---- tokens ----
    void Advance() {
        m_tok = m_lexer->Next([this](const std::string& line, int lineNo) { Directive(line, lineNo); });
    }
    [[noreturn]] void Fail(const std::string& message) { m_lexer->Fail(m_tok.line, message); }
    bool IsWord(const char* word) const { return m_tok.kind == Token::Ident && Upper(m_tok.text) == word; }
    bool IsPunct(const char* p) const { return m_tok.kind == Token::Punct && m_tok.text == p; }
    void Expect(const char* p) {
        if (!IsPunct(p)) Fail(std::string("expected \"") + p + "\" but found " + Describe());
        Advance();
    }
    void SkipComma() {
        if (IsPunct(",")) Advance();
    }
    std::string Describe() const {
        switch (m_tok.kind) {
        case Token::End: return "the end of the file";
        case Token::String: return "a string";
        default: return "\"" + m_tok.text + "\"";
        }
    }
    bool IsBegin() const { return IsWord("BEGIN") || IsPunct("{"); }
    bool IsEnd() const { return IsWord("END") || IsPunct("}"); }
    void ExpectBegin() {
        if (!IsBegin()) Fail("expected BEGIN but found " + Describe());
        Advance();
    }
    std::wstring String() {
        if (m_tok.kind != Token::String) Fail("expected a string but found " + Describe());
        std::wstring s = m_tok.str;
        Advance();
        return s;
    }

    // ---- preprocessor ----
    void Directive(const std::string& line, int lineNo) {
        std::istringstream in(line.substr(1));
        std::string word;
        in >> word;
        if (word == "include") {
            std::string rest;
            std::getline(in, rest);
            auto a = rest.find_first_of("\"<"), b = rest.find_last_of("\">");
            if (a == std::string::npos || b == std::string::npos || b <= a) m_lexer->Fail(lineNo, "bad #include");
            Include(rest.substr(a + 1, b - a - 1), lineNo);
        } else if (word == "define") {
            Define(line, lineNo, true);
        } else if (word == "pragma" || word == "if" || word == "ifdef" || word == "ifndef" || word == "endif" ||
                   word == "else" || word == "undef" || word == "error") {
            // Include guards and the like: headers of ids need none of them.
        } else {
            m_lexer->Fail(lineNo, "unknown directive #" + word);
        }
    }

    // Records "#define NAME value"; a function-like macro or an empty one is ignored.
    void Define(const std::string& line, int lineNo, bool strict) {
        size_t p = line.find("define");
        p += 6;
        while (p < line.size() && std::isspace(static_cast<unsigned char>(line[p]))) ++p;
        size_t start = p;
        while (p < line.size() && (std::isalnum(static_cast<unsigned char>(line[p])) || line[p] == '_')) ++p;
        std::string name = line.substr(start, p - start);
        if (name.empty()) {
            if (strict) m_lexer->Fail(lineNo, "bad #define");
            return;
        }
        if (p < line.size() && line[p] == '(') return;
        std::string value = line.substr(p);
        auto comment = value.find("//");
        if (comment != std::string::npos) value.erase(comment);
        if (value.find_first_not_of(" \t\r") == std::string::npos) return;
        m_defines[name] = value;
    }

    fs::path FindFile(const std::string& name) {
        fs::path direct = m_folder / name;
        if (fs::exists(direct)) return direct;
        for (const auto& dir : m_includeDirs)
            if (fs::exists(dir / name)) return dir / name;
        return {};
    }

    void Include(const std::string& name, int lineNo) {
        fs::path file = FindFile(name);
        if (file.empty()) m_lexer->Fail(lineNo, "cannot find include file \"" + name + "\"");
        if (!m_included.insert(fs::weakly_canonical(file).string()).second) return;
        m_dependencies.push_back(file);
        std::ifstream in(file, std::ios::binary);
        std::string line;
        // Headers give only their #define lines; everything else in them is the compiler's business.
        while (std::getline(in, line)) {
            while (!line.empty() && line.back() == '\\') {
                std::string more;
                if (!std::getline(in, more)) break;
                line.pop_back();
                line += more;
            }
            size_t p = line.find_first_not_of(" \t");
            if (p == std::string::npos || line[p] != '#') continue;
            std::string rest = line.substr(p + 1);
            size_t q = rest.find_first_not_of(" \t");
            if (q != std::string::npos && rest.compare(q, 6, "define") == 0) Define("#" + rest.substr(q), lineNo, false);
            if (q != std::string::npos && rest.compare(q, 7, "include") == 0) {
                auto a = rest.find('"'), b = rest.rfind('"');
                if (a != std::string::npos && b > a) {
                    std::string inner = rest.substr(a + 1, b - a - 1);
                    fs::path saved = m_folder;
                    m_folder = file.parent_path();
                    if (!FindFile(inner).empty()) Include(inner, lineNo);
                    m_folder = saved;
                }
            }
        }
    }

    // The value of a defined name, evaluated on use.
    bool Symbol(const std::string& name, int64_t& value, int depth) {
        auto it = m_defines.find(name);
        if (it == m_defines.end() || depth > 32) return false;
        Lexer lexer(it->second, m_lexer->File());
        std::vector<Token> tokens;
        try {
            for (Token t = lexer.Next([](const std::string&, int) {}); t.kind != Token::End; t = lexer.Next([](const std::string&, int) {}))
                tokens.push_back(t);
        } catch (const Failure&) {
            return false;
        }
        size_t pos = 0;
        if (!EvalTokens(tokens, pos, value, depth + 1) || pos != tokens.size()) return false;
        return true;
    }

    // Expressions over a token list: | & + - << >> left to right, unary ~ and -, parentheses.
    bool EvalTokens(const std::vector<Token>& t, size_t& pos, int64_t& value, int depth) {
        if (!EvalPrimary(t, pos, value, depth)) return false;
        while (pos < t.size() && t[pos].kind == Token::Punct) {
            const std::string op = t[pos].text;
            if (op != "|" && op != "&" && op != "+" && op != "-" && op != "<<" && op != ">>") break;
            ++pos;
            int64_t rhs;
            if (!EvalPrimary(t, pos, rhs, depth)) return false;
            if (op == "|") value |= rhs;
            else if (op == "&") value &= rhs;
            else if (op == "+") value += rhs;
            else if (op == "-") value -= rhs;
            else if (op == "<<") value = static_cast<int64_t>(static_cast<uint64_t>(value) << (rhs & 63));
            else value >>= (rhs & 63);
        }
        return true;
    }

    bool EvalPrimary(const std::vector<Token>& t, size_t& pos, int64_t& value, int depth) {
        if (pos >= t.size()) return false;
        const Token& tok = t[pos++];
        if (tok.kind == Token::Number) {
            value = tok.number;
            return true;
        }
        if (tok.kind == Token::Ident) return Symbol(tok.text, value, depth);
        if (tok.kind == Token::Punct && (tok.text == "~" || tok.text == "-")) {
            if (!EvalPrimary(t, pos, value, depth)) return false;
            value = tok.text == "~" ? ~value : -value;
            return true;
        }
        if (tok.kind == Token::Punct && tok.text == "(") {
            if (!EvalTokens(t, pos, value, depth) || pos >= t.size() || t[pos].text != ")") return false;
            ++pos;
            return true;
        }
        return false;
    }

    // ---- expressions in the script ----
    int64_t Primary() {
        if (m_tok.kind == Token::Number) {
            int64_t v = m_tok.number;
            Advance();
            return v;
        }
        if (m_tok.kind == Token::Ident) {
            int64_t v;
            if (!Symbol(m_tok.text, v, 0)) Fail("unknown symbol " + m_tok.text);
            Advance();
            return v;
        }
        if (IsPunct("(")) {
            Advance();
            int64_t v = Expression();
            Expect(")");
            return v;
        }
        if (IsPunct("~") || IsPunct("-")) {
            bool negate = IsPunct("-");
            Advance();
            int64_t v = Primary();
            return negate ? -v : ~v;
        }
        Fail("expected a number or a symbol but found " + Describe());
    }

    int64_t Expression() {
        int64_t v = Primary();
        while (IsPunct("|") || IsPunct("+") || IsPunct("-") || IsPunct("&") || IsPunct("<<") || IsPunct(">>")) {
            std::string op = m_tok.text;
            Advance();
            int64_t rhs = Primary();
            if (op == "|") v |= rhs;
            else if (op == "+") v += rhs;
            else if (op == "-") v -= rhs;
            else if (op == "&") v &= rhs;
            else if (op == "<<") v = static_cast<int64_t>(static_cast<uint64_t>(v) << (rhs & 63));
            else v >>= (rhs & 63);
        }
        return v;
    }

    // A style: "A | B | NOT C" applied to a default.
    DWORD Style(DWORD base) {
        DWORD value = base;
        bool first = true;
        for (;;) {
            bool negate = false;
            if (IsWord("NOT")) {
                negate = true;
                Advance();
            }
            auto v = static_cast<DWORD>(Primary());
            value = negate ? (value & ~v) : (first && base == 0 ? v : (value | v));
            first = false;
            if (!IsPunct("|")) break;
            Advance();
        }
        return value;
    }

    // Ids are 32-bit; -1 (a control that is never looked up) is kept as 0xFFFFFFFF.
    DWORD Id() {
        int64_t v = Expression();
        if (v < -0x80000000ll || v > 0xFFFFFFFFll) Fail("id out of range");
        return static_cast<DWORD>(v);
    }

    short Coord() {
        int64_t v = Expression();
        if (v < -32768 || v > 32767) Fail("coordinate out of range");
        return static_cast<short>(v);
    }

    void Add(uint32_t type, uint32_t id, std::vector<uint8_t> data) {
        for (const auto& e : entries)
            if (e.type == type && e.id == id) Fail("resource " + std::to_string(id) + " defined twice");
        entries.push_back({type, id, std::move(data)});
    }

    // The bytes of the file named by the next string token.
    std::vector<uint8_t> ReadFile() {
        int line = m_tok.line;
        std::wstring name = String();
        fs::path file = FindFile(ToUtf8(name));
        if (file.empty()) m_lexer->Fail(line, "cannot find file \"" + ToUtf8(name) + "\"");
        m_dependencies.push_back(file);
        std::ifstream in(file, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }

    // ---- statements ----
    void Statement() {
        if (IsWord("STRINGTABLE")) {
            Advance();
            while (!IsBegin()) {
                if (m_tok.kind == Token::End) Fail("STRINGTABLE without BEGIN");
                Advance(); // options such as DISCARDABLE
            }
            Advance();
            while (!IsEnd()) {
                if (m_tok.kind == Token::End) Fail("STRINGTABLE without END");
                DWORD id = Id();
                SkipComma();
                Add(kResString, id, SerializeString(String()));
            }
            Advance();
            return;
        }
        if (IsWord("LANGUAGE")) { // accepted and ignored: a module holds one language
            Advance();
            Expression();
            SkipComma();
            Expression();
            return;
        }
        DWORD id = Id();
        if (m_tok.kind != Token::Ident) Fail("expected a resource type after the id but found " + Describe());
        std::string type = Upper(m_tok.text);
        int line = m_tok.line;
        Advance();
        while (IsWord("DISCARDABLE") || IsWord("MOVEABLE") || IsWord("PURE") || IsWord("PRELOAD") || IsWord("LOADONCALL"))
            Advance();
        if (type == "DIALOG" || type == "DIALOGEX") Dialog(id);
        else if (type == "MENU" || type == "MENUEX") Menu(id);
        else if (type == "ICON") Icon(id);
        else if (type == "BITMAP") Add(kResBitmap, id, ReadFile());
        else if (type == "DLGINIT") DialogInit(id);
        else if (type == "TOOLBAR") Toolbar(id);
        else m_lexer->Fail(line, "unknown resource type " + type);
    }

    // "x, y[, cx, cy]": the size may be left out where sizeOptional says so.
    void Rectangle(short& x, short& y, short& cx, short& cy, bool sizeOptional = false) {
        x = Coord();
        Expect(",");
        y = Coord();
        if (sizeOptional && !IsPunct(",")) return;
        Expect(",");
        cx = Coord();
        Expect(",");
        cy = Coord();
    }

    void Dialog(DWORD id) {
        DialogTemplate d;
        Rectangle(d.x, d.y, d.cx, d.cy);
        if (IsPunct(",")) { // help id of DIALOGEX
            Advance();
            Expression();
        }
        while (!IsBegin()) {
            if (IsWord("STYLE")) {
                Advance();
                d.style = Style(0);
            } else if (IsWord("EXSTYLE")) {
                Advance();
                d.exStyle = Style(0);
            } else if (IsWord("CAPTION")) {
                Advance();
                d.caption = String();
            } else if (IsWord("FONT")) {
                Advance();
                d.pointSize = static_cast<WORD>(Expression());
                Expect(",");
                d.faceName = String();
                if (IsPunct(",")) {
                    Advance();
                    d.weight = static_cast<WORD>(Expression());
                    if (IsPunct(",")) {
                        Advance();
                        d.italic = static_cast<BYTE>(Expression());
                        if (IsPunct(",")) {
                            Advance();
                            Expression(); // character set
                        }
                    }
                }
            } else if (IsWord("MENU")) {
                Advance();
                d.menuId = Id();
            } else if (IsWord("CLASS")) {
                Advance();
                d.className = String();
            } else if (IsWord("LANGUAGE")) {
                Advance();
                Expression();
                SkipComma();
                Expression();
            } else {
                Fail("unexpected " + Describe() + " in a dialog's header");
            }
        }
        if (d.pointSize) d.style |= kSetFont;
        Advance();
        while (!IsEnd()) {
            if (m_tok.kind == Token::End) Fail("dialog without END");
            d.items.push_back(Control());
        }
        Advance();
        Add(kResDialog, id, SerializeDialog(d));
    }

    void Rect(DialogItemTemplate& item, bool sizeOptional = false) {
        Rectangle(item.x, item.y, item.cx, item.cy, sizeOptional);
    }

    // ", style [, exstyle]" after a statement's rectangle.
    void OptionalStyles(DialogItemTemplate& item) {
        if (!IsPunct(",")) return;
        Advance();
        item.style = Style(item.style);
        if (IsPunct(",")) {
            Advance();
            item.exStyle = Style(0);
        }
    }

    DialogItemTemplate Control() {
        DialogItemTemplate item;
        if (m_tok.kind != Token::Ident) Fail("expected a control statement but found " + Describe());
        std::string kind = Upper(m_tok.text);
        Advance();
        struct Text {
            const wchar_t* cls;
            DWORD style;
        };
        static const std::map<std::string, Text> textual = {
            {"LTEXT", {L"STATIC", 0x0 | kGroup}},        {"RTEXT", {L"STATIC", 0x2 | kGroup}},
            {"CTEXT", {L"STATIC", 0x1 | kGroup}},        {"PUSHBUTTON", {L"BUTTON", 0x0 | kTabStop}},
            {"DEFPUSHBUTTON", {L"BUTTON", 0x1 | kTabStop}}, {"CHECKBOX", {L"BUTTON", 0x2 | kTabStop}},
            {"AUTOCHECKBOX", {L"BUTTON", 0x3 | kTabStop}}, {"RADIOBUTTON", {L"BUTTON", 0x4}},
            {"AUTORADIOBUTTON", {L"BUTTON", 0x9}},       {"GROUPBOX", {L"BUTTON", 0x7}},
        };
        static const std::map<std::string, Text> plain = {
            {"EDITTEXT", {L"EDIT", 0x0 | kBorder | kTabStop}},
            {"COMBOBOX", {L"COMBOBOX", 0x1 | kTabStop}},
            {"LISTBOX", {L"LISTBOX", 0x1 | kBorder}},
            {"SCROLLBAR", {L"SCROLLBAR", 0x0}},
        };
        if (kind == "CONTROL") {
            item.text = TextOrId();
            Expect(",");
            item.id = Id();
            Expect(",");
            item.className = String();
            Expect(",");
            item.style = Style(kChild | kVisible);
            Expect(",");
            Rect(item);
            if (IsPunct(",")) {
                Advance();
                item.exStyle = Style(0);
            }
        } else if (auto t = textual.find(kind); t != textual.end()) {
            item.text = TextOrId();
            Expect(",");
            item.id = Id();
            Expect(",");
            item.className = t->second.cls;
            item.style = kChild | kVisible | t->second.style;
            Rect(item);
            OptionalStyles(item);
        } else if (auto p = plain.find(kind); p != plain.end()) {
            item.id = Id();
            Expect(",");
            item.className = p->second.cls;
            item.style = kChild | kVisible | p->second.style;
            Rect(item);
            OptionalStyles(item);
        } else if (kind == "ICON") {
            item.text = TextOrId();
            Expect(",");
            item.id = Id();
            Expect(",");
            item.className = L"STATIC";
            item.style = kChild | kVisible | 0x3;
            Rect(item, true);
            OptionalStyles(item);
        } else {
            Fail("unknown control statement " + kind);
        }
        return item;
    }

    // A control's text, or a resource id written as "#id".
    std::wstring TextOrId() {
        if (m_tok.kind == Token::String) return String();
        return L"#" + std::to_wstring(Id());
    }

    void MenuItems(std::vector<MenuItemTemplate>& items, int depth) {
        if (depth > 8) Fail("menus nested too deep");
        ExpectBegin();
        while (!IsEnd()) {
            if (m_tok.kind == Token::End) Fail("menu without END");
            MenuItemTemplate item;
            if (IsWord("POPUP")) {
                Advance();
                item.flags = MF_POPUP;
                item.text = String();
                item.flags |= MenuOptions();
                MenuItems(item.children, depth + 1);
            } else if (IsWord("MENUITEM")) {
                Advance();
                if (IsWord("SEPARATOR")) {
                    Advance();
                    item.flags = MF_SEPARATOR;
                } else {
                    item.text = String();
                    Expect(",");
                    item.id = Id();
                    item.flags = MenuOptions();
                }
            } else {
                Fail("expected POPUP or MENUITEM but found " + Describe());
            }
            items.push_back(std::move(item));
        }
        Advance();
    }

    UINT MenuOptions() {
        UINT flags = 0;
        for (;;) {
            if (IsPunct(",")) {
                Advance();
                continue;
            }
            if (IsWord("GRAYED")) flags |= MF_GRAYED;
            else if (IsWord("INACTIVE")) flags |= MF_DISABLED;
            else if (IsWord("CHECKED")) flags |= MF_CHECKED;
            else if (IsWord("MENUBARBREAK")) flags |= MF_MENUBARBREAK;
            else if (IsWord("MENUBREAK")) flags |= MF_MENUBREAK;
            else if (IsWord("HELP")) flags |= 0;
            else return flags;
            Advance();
        }
    }

    void Menu(DWORD id) {
        MenuTemplate menu;
        MenuItems(menu.items, 0);
        Add(kResMenu, id, SerializeMenu(menu));
    }

    void Icon(DWORD id) {
        std::vector<std::vector<uint8_t>> images;
        do {
            SkipComma();
            images.push_back(ReadFile());
        } while (m_tok.kind == Token::String || (IsPunct(",")));
        Add(kResGroupIcon, id, SerializeIconGroup(images));
    }

    void DialogInit(DWORD id) {
        std::vector<DialogInitItem> items;
        ExpectBegin();
        while (!IsEnd()) {
            if (m_tok.kind == Token::End) Fail("DLGINIT without END");
            DialogInitItem item;
            item.controlId = Id();
            Expect(",");
            item.text = String();
            SkipComma();
            items.push_back(std::move(item));
        }
        Advance();
        Add(kResDialogInit, id, SerializeDialogInit(items));
    }

    void Toolbar(DWORD id) {
        ToolbarTemplate t;
        t.width = static_cast<WORD>(Expression());
        Expect(",");
        t.height = static_cast<WORD>(Expression());
        ExpectBegin();
        while (!IsEnd()) {
            if (IsWord("BUTTON")) {
                Advance();
                t.ids.push_back(static_cast<WORD>(Id()));
            } else if (IsWord("SEPARATOR")) {
                Advance();
                t.ids.push_back(0);
            } else {
                Fail("expected BUTTON or SEPARATOR but found " + Describe());
            }
        }
        Advance();
        Add(kResToolbar, id, SerializeToolbar(t));
    }

    std::vector<fs::path> m_includeDirs;
    fs::path m_folder;
    Lexer* m_lexer = nullptr;
    Token m_tok;
    std::map<std::string, std::string> m_defines;
    std::set<std::string> m_included;
};

} // namespace

bool ReadQuotedText(const std::string& text, size_t& pos, std::string& bytes, std::string& why) {
    for (;;) {
        if (pos >= text.size() || text[pos] == '\n') {
            why = "string not closed";
            return false;
        }
        char ch = text[pos++];
        if (ch == '"') {
            if (pos < text.size() && text[pos] == '"') {
                bytes += '"';
                ++pos;
                continue;
            }
            return true;
        }
        if (ch != '\\') {
            bytes += ch;
            continue;
        }
        const char e = pos < text.size() ? text[pos++] : '\0';
        switch (e) {
        case 'n': bytes += '\n'; break;
        case 't': bytes += '\t'; break;
        case 'r': bytes += '\r'; break;
        case '\\': bytes += '\\'; break;
        case '"': bytes += '"'; break;
        case '0': bytes += '\0'; break;
        default: why = std::string("unknown escape \\") + e; return false;
        }
    }
}

CompileResult CompileScriptText(const std::string& text, const fs::path& name, const std::vector<fs::path>& includeDirs) {
    CompileResult result;
    Compiler compiler(includeDirs);
    try {
        compiler.CompileText(text, name);
        result.ok = true;
        result.entries = std::move(compiler.entries);
    } catch (const Failure& f) {
        result.error = f.message;
    }
    result.dependencies = std::move(compiler.m_dependencies);
    return result;
}

CompileResult CompileScript(const fs::path& script, const std::vector<fs::path>& includeDirs) {
    std::ifstream in(script, std::ios::binary);
    if (!in) {
        CompileResult result;
        result.error = script.string() + ":0: cannot read the script";
        return result;
    }
    std::string text((std::istreambuf_iterator<char>(in)), {});
    return CompileScriptText(text, script, includeDirs);
}

} // namespace device::rc
