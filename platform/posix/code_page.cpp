// The ANSI code page of the package's names: each byte's character, learnt from iconv once per
// code page, and the conversions between ANSI and UTF-8 texts built on it.
#include "platform/posix/code_page.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <map>

namespace {

struct CodePageTable {
    int codePage = 0;
    std::array<uint32_t, 256> characters{};  // the character of each byte
    std::map<uint32_t, unsigned char> bytes; // the byte of each character
};

CodePageTable Table;

// Appends character as UTF-8.
void AppendUtf8(std::string& out, uint32_t character) {
    if (character < 0x80) {
        out += static_cast<char>(character);
    } else if (character < 0x800) {
        out += static_cast<char>(0xC0 | (character >> 6));
        out += static_cast<char>(0x80 | (character & 0x3F));
    } else if (character < 0x10000) {
        out += static_cast<char>(0xE0 | (character >> 12));
        out += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (character & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (character >> 18));
        out += static_cast<char>(0x80 | ((character >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (character & 0x3F));
    }
}

// Reads the UTF-8 character at text[*at] into *character and moves *at past it. False for a
// byte that starts no character, a cut or overlong sequence, a surrogate or a value past U+10FFFF.
bool NextUtf8(const std::string& text, size_t* at, uint32_t* character) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(*at);
    size_t length = lead < 0x80                    ? 1
                    : lead >= 0xC2 && lead <= 0xDF ? 2
                    : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                   : 0;
    if (length == 0 || *at + length > text.size()) return false;
    uint32_t value = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(*at + i) & 0xC0) != 0x80) return false;
        value = value << 6 | (byte(*at + i) & 0x3F);
    }
    static constexpr uint32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < Least[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return false;
    *character = value;
    *at += length;
    return true;
}

// The character of byte in the code page that converter reads; byte's own value when the code
// page leaves it undefined, and false when the code page is not single-byte (byte begins a
// longer sequence).
bool CharacterOf(iconv_t converter, unsigned char byte, uint32_t* character) {
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* from = in;
    char* to = out;
    size_t inLeft = 1, outLeft = sizeof out;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &from, &inLeft, &to, &outLeft) == static_cast<size_t>(-1)) {
        *character = byte;
        return errno != EINVAL;
    }
    std::string text(out, sizeof out - outLeft);
    size_t at = 0;
    if (!NextUtf8(text, &at, character) || at != text.size()) *character = byte;
    return true;
}

} // namespace

bool SetAnsiCodePage(int codePage) {
    if (codePage == Table.codePage) return true;
    char name[16];
    std::snprintf(name, sizeof name, "CP%d", codePage);
    iconv_t converter = iconv_open("UTF-8", name);
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    CodePageTable table;
    table.codePage = codePage;
    bool singleByte = true;
    for (int byte = 0; byte < 256 && singleByte; ++byte)
        singleByte = CharacterOf(converter, static_cast<unsigned char>(byte),
                                 &table.characters[static_cast<size_t>(byte)]);
    iconv_close(converter);
    if (!singleByte) return false;
    // A defined byte's character first, so an undefined byte's stand-in never takes its place.
    for (int byte = 255; byte > 0; --byte)
        table.bytes[table.characters[static_cast<size_t>(byte)]] = static_cast<unsigned char>(byte);
    Table = std::move(table);
    return true;
}

int AnsiCodePage() {
    if (Table.codePage == 0) SetAnsiCodePage(DefaultCodePage);
    return Table.codePage;
}

std::string AnsiToUtf8(const std::string& ansi) {
    AnsiCodePage();
    std::string out;
    for (char c : ansi)
        AppendUtf8(out, Table.characters[static_cast<unsigned char>(c)]);
    return out;
}

bool Utf8ToAnsi(const std::string& text, std::string* ansi) {
    AnsiCodePage();
    std::string out;
    for (size_t at = 0; at < text.size();) {
        uint32_t character = 0;
        if (!NextUtf8(text, &at, &character)) return false;
        auto found = Table.bytes.find(character);
        if (found == Table.bytes.end() || character == 0) return false;
        out += static_cast<char>(found->second);
    }
    *ansi = std::move(out);
    return true;
}

namespace {

bool IsControl(uint32_t character) {
    return character < 0x20 || (character >= 0x7F && character < 0xA0);
}

void AppendEscaped(std::string& out, unsigned char byte) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", byte);
    out += hex;
}

} // namespace

std::string PrintableAnsi(const std::string& ansi) {
    AnsiCodePage();
    std::string out;
    for (char c : ansi) {
        uint32_t character = Table.characters[static_cast<unsigned char>(c)];
        if (IsControl(character))
            AppendEscaped(out, static_cast<unsigned char>(c));
        else
            AppendUtf8(out, character);
    }
    return out;
}

std::string PrintableHost(const std::string& text) {
    std::string out;
    for (size_t at = 0; at < text.size();) {
        size_t from = at;
        uint32_t character = 0;
        if (NextUtf8(text, &at, &character) && !IsControl(character)) {
            out.append(text, from, at - from);
        } else {
            at = from + 1;
            for (size_t i = from; i < at; ++i)
                AppendEscaped(out, static_cast<unsigned char>(text[i]));
        }
    }
    return out;
}
