// SPDX-License-Identifier: GPL-2.0-or-later
#include "xml/XmlEntities.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace zephyl::xml {

namespace {

struct NamedEntity {
    std::string_view name;
    char32_t codePoint;
};

// The 252 entities of HTML 4.01 plus XML's apos.
constexpr NamedEntity kUnsortedEntities[] = {
    // XML and HTML special characters
    {"quot", 34},
    {"amp", 38},
    {"apos", 39},
    {"lt", 60},
    {"gt", 62},
    {"OElig", 338},
    {"oelig", 339},
    {"Scaron", 352},
    {"scaron", 353},
    {"Yuml", 376},
    {"circ", 710},
    {"tilde", 732},
    {"ensp", 8194},
    {"emsp", 8195},
    {"thinsp", 8201},
    {"zwnj", 8204},
    {"zwj", 8205},
    {"lrm", 8206},
    {"rlm", 8207},
    {"ndash", 8211},
    {"mdash", 8212},
    {"lsquo", 8216},
    {"rsquo", 8217},
    {"sbquo", 8218},
    {"ldquo", 8220},
    {"rdquo", 8221},
    {"bdquo", 8222},
    {"dagger", 8224},
    {"Dagger", 8225},
    {"permil", 8240},
    {"lsaquo", 8249},
    {"rsaquo", 8250},
    {"euro", 8364},
    // Latin-1
    {"nbsp", 160},
    {"iexcl", 161},
    {"cent", 162},
    {"pound", 163},
    {"curren", 164},
    {"yen", 165},
    {"brvbar", 166},
    {"sect", 167},
    {"uml", 168},
    {"copy", 169},
    {"ordf", 170},
    {"laquo", 171},
    {"not", 172},
    {"shy", 173},
    {"reg", 174},
    {"macr", 175},
    {"deg", 176},
    {"plusmn", 177},
    {"sup2", 178},
    {"sup3", 179},
    {"acute", 180},
    {"micro", 181},
    {"para", 182},
    {"middot", 183},
    {"cedil", 184},
    {"sup1", 185},
    {"ordm", 186},
    {"raquo", 187},
    {"frac14", 188},
    {"frac12", 189},
    {"frac34", 190},
    {"iquest", 191},
    {"Agrave", 192},
    {"Aacute", 193},
    {"Acirc", 194},
    {"Atilde", 195},
    {"Auml", 196},
    {"Aring", 197},
    {"AElig", 198},
    {"Ccedil", 199},
    {"Egrave", 200},
    {"Eacute", 201},
    {"Ecirc", 202},
    {"Euml", 203},
    {"Igrave", 204},
    {"Iacute", 205},
    {"Icirc", 206},
    {"Iuml", 207},
    {"ETH", 208},
    {"Ntilde", 209},
    {"Ograve", 210},
    {"Oacute", 211},
    {"Ocirc", 212},
    {"Otilde", 213},
    {"Ouml", 214},
    {"times", 215},
    {"Oslash", 216},
    {"Ugrave", 217},
    {"Uacute", 218},
    {"Ucirc", 219},
    {"Uuml", 220},
    {"Yacute", 221},
    {"THORN", 222},
    {"szlig", 223},
    {"agrave", 224},
    {"aacute", 225},
    {"acirc", 226},
    {"atilde", 227},
    {"auml", 228},
    {"aring", 229},
    {"aelig", 230},
    {"ccedil", 231},
    {"egrave", 232},
    {"eacute", 233},
    {"ecirc", 234},
    {"euml", 235},
    {"igrave", 236},
    {"iacute", 237},
    {"icirc", 238},
    {"iuml", 239},
    {"eth", 240},
    {"ntilde", 241},
    {"ograve", 242},
    {"oacute", 243},
    {"ocirc", 244},
    {"otilde", 245},
    {"ouml", 246},
    {"divide", 247},
    {"oslash", 248},
    {"ugrave", 249},
    {"uacute", 250},
    {"ucirc", 251},
    {"uuml", 252},
    {"yacute", 253},
    {"thorn", 254},
    {"yuml", 255},
    // Symbols and Greek letters
    {"fnof", 402},
    {"Alpha", 913},
    {"Beta", 914},
    {"Gamma", 915},
    {"Delta", 916},
    {"Epsilon", 917},
    {"Zeta", 918},
    {"Eta", 919},
    {"Theta", 920},
    {"Iota", 921},
    {"Kappa", 922},
    {"Lambda", 923},
    {"Mu", 924},
    {"Nu", 925},
    {"Xi", 926},
    {"Omicron", 927},
    {"Pi", 928},
    {"Rho", 929},
    {"Sigma", 931},
    {"Tau", 932},
    {"Upsilon", 933},
    {"Phi", 934},
    {"Chi", 935},
    {"Psi", 936},
    {"Omega", 937},
    {"alpha", 945},
    {"beta", 946},
    {"gamma", 947},
    {"delta", 948},
    {"epsilon", 949},
    {"zeta", 950},
    {"eta", 951},
    {"theta", 952},
    {"iota", 953},
    {"kappa", 954},
    {"lambda", 955},
    {"mu", 956},
    {"nu", 957},
    {"xi", 958},
    {"omicron", 959},
    {"pi", 960},
    {"rho", 961},
    {"sigmaf", 962},
    {"sigma", 963},
    {"tau", 964},
    {"upsilon", 965},
    {"phi", 966},
    {"chi", 967},
    {"psi", 968},
    {"omega", 969},
    {"thetasym", 977},
    {"upsih", 978},
    {"piv", 982},
    {"bull", 8226},
    {"hellip", 8230},
    {"prime", 8242},
    {"Prime", 8243},
    {"oline", 8254},
    {"frasl", 8260},
    {"weierp", 8472},
    {"image", 8465},
    {"real", 8476},
    {"trade", 8482},
    {"alefsym", 8501},
    {"larr", 8592},
    {"uarr", 8593},
    {"rarr", 8594},
    {"darr", 8595},
    {"harr", 8596},
    {"crarr", 8629},
    {"lArr", 8656},
    {"uArr", 8657},
    {"rArr", 8658},
    {"dArr", 8659},
    {"hArr", 8660},
    {"forall", 8704},
    {"part", 8706},
    {"exist", 8707},
    {"empty", 8709},
    {"nabla", 8711},
    {"isin", 8712},
    {"notin", 8713},
    {"ni", 8715},
    {"prod", 8719},
    {"sum", 8721},
    {"minus", 8722},
    {"lowast", 8727},
    {"radic", 8730},
    {"prop", 8733},
    {"infin", 8734},
    {"ang", 8736},
    {"and", 8743},
    {"or", 8744},
    {"cap", 8745},
    {"cup", 8746},
    {"int", 8747},
    {"there4", 8756},
    {"sim", 8764},
    {"cong", 8773},
    {"asymp", 8776},
    {"ne", 8800},
    {"equiv", 8801},
    {"le", 8804},
    {"ge", 8805},
    {"sub", 8834},
    {"sup", 8835},
    {"nsub", 8836},
    {"sube", 8838},
    {"supe", 8839},
    {"oplus", 8853},
    {"otimes", 8855},
    {"perp", 8869},
    {"sdot", 8901},
    {"lceil", 8968},
    {"rceil", 8969},
    {"lfloor", 8970},
    {"rfloor", 8971},
    {"lang", 9001},
    {"rang", 9002},
    {"loz", 9674},
    {"spades", 9824},
    {"clubs", 9827},
    {"hearts", 9829},
    {"diams", 9830},
};

constexpr size_t kEntityCount = std::size(kUnsortedEntities);
static_assert(kEntityCount == 253, "HTML 4.01 has 252 named entities, plus apos");

constexpr std::array<NamedEntity, kEntityCount> SortEntities() {
    std::array<NamedEntity, kEntityCount> sorted{};
    std::copy(std::begin(kUnsortedEntities), std::end(kUnsortedEntities), sorted.begin());
    std::sort(sorted.begin(), sorted.end(),
              [](const NamedEntity& a, const NamedEntity& b) { return a.name < b.name; });
    return sorted;
}

constexpr std::array<NamedEntity, kEntityCount> kEntities = SortEntities();

constexpr bool NamesAreUnique() {
    for (size_t i = 1; i < kEntities.size(); ++i) {
        if (kEntities[i - 1].name == kEntities[i].name)
            return false;
    }
    return true;
}
static_assert(NamesAreUnique(), "an entity name is listed twice");

// A reference name is at most nine characters before its ';'.
constexpr size_t kMaxReferenceLength = 9;

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

/// The code point of a character reference body ("#65", "#x42"), 0 when it is not one or
/// names no character.
char32_t NumericReference(std::u16string_view body) {
    if (body.size() < 2 || body[0] != u'#')
        return 0;
    uint32_t value = 0;
    if (body[1] == u'x' || body[1] == u'X') {
        if (body.size() < 3)
            return 0;
        for (size_t i = 2; i < body.size(); ++i) {
            const int digit = HexValue(body[i]);
            if (digit < 0)
                return 0;
            value = value * 16 + static_cast<uint32_t>(digit);
        }
    } else {
        for (size_t i = 1; i < body.size(); ++i) {
            if (!IsDigit(body[i]))
                return 0;
            value = value * 10 + static_cast<uint32_t>(body[i] - u'0');
        }
    }
    // At most eight digits after "#" or "#x", so the value cannot overflow; anything past the
    // last Unicode code point is not a character.
    if (value > 0x10FFFF)
        return 0;
    return value;
}

void AppendCodePoint(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

}  // namespace

char32_t LookupEntity(std::u16string_view name) {
    if (name.empty() || name.size() > kMaxReferenceLength)
        return 0;
    char ascii[kMaxReferenceLength];
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] >= 0x80)
            return 0;
        ascii[i] = static_cast<char>(name[i]);
    }
    const std::string_view key(ascii, name.size());
    const auto it = std::lower_bound(
        kEntities.begin(), kEntities.end(), key,
        [](const NamedEntity& entity, std::string_view k) { return entity.name < k; });
    if (it == kEntities.end() || it->name != key)
        return 0;
    return it->codePoint;
}

size_t NamedEntityCount() {
    return kEntities.size();
}

std::u16string DecodeEntities(std::u16string_view value) {
    std::u16string out;
    out.reserve(value.size());
    size_t i = 0;
    while (i < value.size()) {
        const size_t amp = value.find(u'&', i);
        if (amp == std::u16string_view::npos) {
            out.append(value.substr(i));
            break;
        }
        out.append(value.substr(i, amp - i));
        // Look for the ';' among the next few characters, all of them ASCII.
        size_t semicolon = std::u16string_view::npos;
        for (size_t k = amp + 1; k < value.size() && k <= amp + 1 + kMaxReferenceLength; ++k) {
            if (value[k] == u';') {
                semicolon = k;
                break;
            }
            if (value[k] >= 0x80)
                break;
        }
        char32_t cp = 0;
        if (semicolon != std::u16string_view::npos) {
            const std::u16string_view body = value.substr(amp + 1, semicolon - amp - 1);
            cp = (!body.empty() && body[0] == u'#') ? NumericReference(body) : LookupEntity(body);
        }
        if (cp == 0) {
            out.push_back(u'&');
            i = amp + 1;
        } else {
            AppendCodePoint(out, cp);
            i = semicolon + 1;
        }
    }
    return out;
}

std::u16string EscapeAttribute(std::u16string_view value) {
    std::u16string out;
    out.reserve(value.size() + value.size() / 8);
    for (const char16_t c : value) {
        switch (c) {
            case u'<':
                out.append(u"&lt;");
                break;
            case u'&':
                out.append(u"&amp;");
                break;
            case u'>':
                out.append(u"&gt;");
                break;
            case u'\'':
                out.append(u"&apos;");
                break;
            case u'"':
                out.append(u"&quot;");
                break;
            default:
                out.push_back(c);
                break;
        }
    }
    return out;
}

}  // namespace zephyl::xml
