// SPDX-License-Identifier: GPL-2.0-or-later
#include "xml/XmlEncoding.h"

#include <algorithm>
#include <array>

namespace zephyl::xml {

namespace {

struct CharsetName {
    std::string_view name;  // lower case
    int codePage;
};

// Charset names and aliases as they appear in xml declarations and html meta elements (IANA
// and WHATWG labels, plus the Windows and Mac names), with Windows code-page numbers.
constexpr CharsetName kUnsortedNames[] = {
    // Unicode
    {"utf-8", 65001},
    {"utf8", 65001},
    {"unicode-1-1-utf-8", 65001},
    {"unicode-2-0-utf-8", 65001},
    {"x-unicode11utf8", 65001},
    {"x-unicode20utf8", 65001},
    {"unicode11utf8", 65001},
    {"unicode20utf8", 65001},
    {"utf-7", 65000},
    {"utf7", 65000},
    {"csunicode11utf7", 65000},
    {"unicode-1-1-utf-7", 65000},
    {"unicode-2-0-utf-7", 65000},
    {"x-unicode11utf7", 65000},
    {"x-unicode20utf7", 65000},
    {"utf-16", 1200},
    {"utf-16le", 1200},
    {"utf16", 1200},
    {"utf16le", 1200},
    {"unicode", 1200},
    {"ucs-2", 1200},
    {"ucs2", 1200},
    {"iso-10646-ucs-2", 1200},
    {"csunicode", 1200},
    {"unicodefeff", 1200},
    {"utf-16be", 1201},
    {"utf16be", 1201},
    {"unicodefffe", 1201},
    {"utf-32", 12000},
    {"utf-32le", 12000},
    {"utf32", 12000},
    {"ucs-4", 12000},
    {"iso-10646-ucs-4", 12000},
    {"utf-32be", 12001},
    // ASCII and ISO 8859
    {"us-ascii", 20127},
    {"ascii", 20127},
    {"us", 20127},
    {"ansi_x3.4-1968", 20127},
    {"ansi_x3.4-1986", 20127},
    {"cp367", 20127},
    {"csascii", 20127},
    {"ibm367", 20127},
    {"iso-ir-6", 20127},
    {"iso646-us", 20127},
    {"iso_646.irv:1991", 20127},
    {"iso-8859-1", 28591},
    {"iso8859-1", 28591},
    {"iso88591", 28591},
    {"iso_8859-1", 28591},
    {"iso_8859-1:1987", 28591},
    {"iso-ir-100", 28591},
    {"latin1", 28591},
    {"l1", 28591},
    {"cp819", 28591},
    {"ibm819", 28591},
    {"csisolatin1", 28591},
    {"iso-8859-2", 28592},
    {"iso8859-2", 28592},
    {"iso88592", 28592},
    {"iso_8859-2", 28592},
    {"iso_8859-2:1987", 28592},
    {"iso-ir-101", 28592},
    {"latin2", 28592},
    {"l2", 28592},
    {"csisolatin2", 28592},
    {"iso-8859-3", 28593},
    {"iso8859-3", 28593},
    {"iso88593", 28593},
    {"iso_8859-3", 28593},
    {"iso_8859-3:1988", 28593},
    {"iso-ir-109", 28593},
    {"latin3", 28593},
    {"l3", 28593},
    {"csisolatin3", 28593},
    {"iso-8859-4", 28594},
    {"iso8859-4", 28594},
    {"iso88594", 28594},
    {"iso_8859-4", 28594},
    {"iso_8859-4:1988", 28594},
    {"iso-ir-110", 28594},
    {"latin4", 28594},
    {"l4", 28594},
    {"csisolatin4", 28594},
    {"iso-8859-5", 28595},
    {"iso8859-5", 28595},
    {"iso88595", 28595},
    {"iso_8859-5", 28595},
    {"iso_8859-5:1988", 28595},
    {"iso-ir-144", 28595},
    {"cyrillic", 28595},
    {"csisolatincyrillic", 28595},
    {"iso-8859-6", 28596},
    {"iso8859-6", 28596},
    {"iso88596", 28596},
    {"iso_8859-6", 28596},
    {"iso_8859-6:1987", 28596},
    {"iso-ir-127", 28596},
    {"arabic", 28596},
    {"ecma-114", 28596},
    {"csisolatinarabic", 28596},
    {"asmo-708", 708},
    {"iso-8859-7", 28597},
    {"iso8859-7", 28597},
    {"iso88597", 28597},
    {"iso_8859-7", 28597},
    {"iso_8859-7:1987", 28597},
    {"iso-ir-126", 28597},
    {"greek", 28597},
    {"greek8", 28597},
    {"elot_928", 28597},
    {"ecma-118", 28597},
    {"csisolatingreek", 28597},
    {"sun_eu_greek", 28597},
    {"iso-8859-8", 28598},
    {"iso8859-8", 28598},
    {"iso88598", 28598},
    {"iso_8859-8", 28598},
    {"iso_8859-8:1988", 28598},
    {"iso-ir-138", 28598},
    {"hebrew", 28598},
    {"visual", 28598},
    {"csisolatinhebrew", 28598},
    {"iso-8859-8-e", 28598},
    {"csiso88598e", 28598},
    {"iso-8859-8-i", 38598},
    {"logical", 38598},
    {"csiso88598i", 38598},
    {"iso-8859-9", 28599},
    {"iso8859-9", 28599},
    {"iso88599", 28599},
    {"iso_8859-9", 28599},
    {"iso_8859-9:1989", 28599},
    {"iso-ir-148", 28599},
    {"latin5", 28599},
    {"l5", 28599},
    {"csisolatin5", 28599},
    {"iso-8859-11", 874},
    {"iso8859-11", 874},
    {"iso885911", 874},
    {"iso-8859-13", 28603},
    {"iso8859-13", 28603},
    {"iso885913", 28603},
    {"iso-8859-15", 28605},
    {"iso8859-15", 28605},
    {"iso885915", 28605},
    {"iso_8859-15", 28605},
    {"latin-9", 28605},
    {"latin9", 28605},
    {"l9", 28605},
    {"csisolatin9", 28605},
    // Windows
    {"windows-1250", 1250},
    {"cp1250", 1250},
    {"x-cp1250", 1250},
    {"windows-1251", 1251},
    {"cp1251", 1251},
    {"x-cp1251", 1251},
    {"windows-1252", 1252},
    {"cp1252", 1252},
    {"x-cp1252", 1252},
    {"windows-1253", 1253},
    {"cp1253", 1253},
    {"x-cp1253", 1253},
    {"windows-1254", 1254},
    {"cp1254", 1254},
    {"x-cp1254", 1254},
    {"windows-1255", 1255},
    {"cp1255", 1255},
    {"x-cp1255", 1255},
    {"windows-1256", 1256},
    {"cp1256", 1256},
    {"x-cp1256", 1256},
    {"windows-1257", 1257},
    {"cp1257", 1257},
    {"x-cp1257", 1257},
    {"windows-1258", 1258},
    {"cp1258", 1258},
    {"x-cp1258", 1258},
    {"windows-874", 874},
    {"dos-874", 874},
    {"tis-620", 874},
    {"cp874", 874},
    {"x-cp874", 874},
    // Cyrillic and DOS
    {"koi8-r", 20866},
    {"koi8r", 20866},
    {"koi8", 20866},
    {"koi", 20866},
    {"cskoi8r", 20866},
    {"koi8-u", 21866},
    {"koi8-ru", 21866},
    {"cp866", 866},
    {"ibm866", 866},
    {"866", 866},
    {"csibm866", 866},
    {"cp855", 855},
    {"ibm855", 855},
    {"cp852", 852},
    {"ibm852", 852},
    {"cp850", 850},
    {"ibm850", 850},
    {"cp437", 437},
    {"ibm437", 437},
    {"437", 437},
    {"cspc8codepage437", 437},
    {"cp737", 737},
    {"ibm737", 737},
    {"cp775", 775},
    {"ibm775", 775},
    {"cp857", 857},
    {"ibm857", 857},
    {"cp858", 858},
    {"ibm00858", 858},
    {"cp860", 860},
    {"ibm860", 860},
    {"cp861", 861},
    {"ibm861", 861},
    {"cp862", 862},
    {"ibm862", 862},
    {"dos-862", 862},
    {"cp863", 863},
    {"ibm863", 863},
    {"cp864", 864},
    {"ibm864", 864},
    {"cp865", 865},
    {"ibm865", 865},
    {"cp869", 869},
    {"ibm869", 869},
    {"dos-720", 720},
    // Japanese
    {"shift_jis", 932},
    {"shift-jis", 932},
    {"sjis", 932},
    {"ms_kanji", 932},
    {"csshiftjis", 932},
    {"x-sjis", 932},
    {"windows-31j", 932},
    {"cswindows31j", 932},
    {"x-ms-cp932", 932},
    {"cp932", 932},
    {"euc-jp", 51932},
    {"eucjp", 51932},
    {"x-euc-jp", 51932},
    {"x-euc", 51932},
    {"cseucpkdfmtjapanese", 51932},
    {"iso-2022-jp", 50220},
    {"csiso2022jp", 50220},
    // Chinese
    {"gb2312", 936},
    {"gbk", 936},
    {"cp936", 936},
    {"ms936", 936},
    {"windows-936", 936},
    {"chinese", 936},
    {"csgb2312", 936},
    {"csiso58gb231280", 936},
    {"gb2312-80", 936},
    {"gb_2312-80", 936},
    {"gb_2312", 936},
    {"iso-ir-58", 936},
    {"x-gbk", 936},
    {"euc-cn", 936},
    {"x-euc-cn", 936},
    {"gb18030", 54936},
    {"hz-gb-2312", 52936},
    {"big5", 950},
    {"big5-hkscs", 950},
    {"cn-big5", 950},
    {"csbig5", 950},
    {"x-x-big5", 950},
    {"cp950", 950},
    // Korean
    {"ks_c_5601-1987", 949},
    {"ks_c_5601", 949},
    {"ks_c_5601-1989", 949},
    {"ksc5601", 949},
    {"ksc_5601", 949},
    {"korean", 949},
    {"csksc56011987", 949},
    {"iso-ir-149", 949},
    {"windows-949", 949},
    {"cp949", 949},
    {"euc-kr", 51949},
    {"cseuckr", 51949},
    {"iso-2022-kr", 50225},
    {"csiso2022kr", 50225},
    {"johab", 1361},
    // Mac
    {"macintosh", 10000},
    {"mac", 10000},
    {"x-mac-roman", 10000},
    {"csmacintosh", 10000},
    {"x-mac-cyrillic", 10007},
    {"x-mac-ukrainian", 10007},
    {"x-mac-ce", 10029},
    // EBCDIC
    {"ibm037", 37},
    {"cp037", 37},
    {"csibm037", 37},
    {"ebcdic-cp-us", 37},
    {"ebcdic-cp-ca", 37},
    {"ebcdic-cp-wt", 37},
    {"ebcdic-cp-nl", 37},
    {"ibm500", 500},
    {"cp500", 500},
    {"csibm500", 500},
    {"ebcdic-cp-be", 500},
    {"ebcdic-cp-ch", 500},
    {"ibm1026", 1026},
    {"cp1026", 1026},
    {"csibm1026", 1026},
    {"ibm01047", 1047},
    {"ibm01140", 1140},
    {"cp875", 875},
    // Indian scripts (ISCII)
    {"x-iscii-de", 57002},
    {"x-iscii-be", 57003},
    {"x-iscii-ta", 57004},
    {"x-iscii-te", 57005},
    {"x-iscii-as", 57006},
    {"x-iscii-or", 57007},
    {"x-iscii-ka", 57008},
    {"x-iscii-ma", 57009},
    {"x-iscii-gu", 57010},
    {"x-iscii-pa", 57011},
};

constexpr size_t kNameCount = std::size(kUnsortedNames);

constexpr std::array<CharsetName, kNameCount> SortNames() {
    std::array<CharsetName, kNameCount> sorted{};
    std::copy(std::begin(kUnsortedNames), std::end(kUnsortedNames), sorted.begin());
    std::sort(sorted.begin(), sorted.end(),
              [](const CharsetName& a, const CharsetName& b) { return a.name < b.name; });
    return sorted;
}

constexpr std::array<CharsetName, kNameCount> kNames = SortNames();

constexpr bool NamesAreLowerCaseAndUnique() {
    for (size_t i = 0; i < kNames.size(); ++i) {
        for (const char c : kNames[i].name) {
            if (c >= 'A' && c <= 'Z')
                return false;
        }
        if (i > 0 && kNames[i - 1].name == kNames[i].name)
            return false;
    }
    return true;
}
static_assert(NamesAreLowerCaseAndUnique(), "charset names must be lower case and listed once");

constexpr size_t kMaxNameLength = 100;

}  // namespace

int CodePageFromName(std::string_view name) {
    if (name.empty() || name.size() >= kMaxNameLength)
        return 0;
    char lower[kMaxNameLength];
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    }
    const std::string_view key(lower, name.size());
    const auto it = std::lower_bound(
        kNames.begin(), kNames.end(), key,
        [](const CharsetName& entry, std::string_view k) { return entry.name < k; });
    if (it != kNames.end() && it->name == key)
        return it->codePage;
    if (name.starts_with("UTF-32"))
        return kCodePageUtf32Le;
    return 0;
}

const char* IconvName(int codePage) {
    switch (codePage) {
        case 37:
            return "IBM037";
        case 437:
            return "CP437";
        case 500:
            return "IBM500";
        case 708:
            return "ISO-8859-6";
        case 737:
            return "CP737";
        case 775:
            return "CP775";
        case 850:
            return "CP850";
        case 852:
            return "CP852";
        case 855:
            return "CP855";
        case 857:
            return "CP857";
        case 858:
            return "CP858";
        case 860:
            return "CP860";
        case 861:
            return "CP861";
        case 862:
            return "CP862";
        case 863:
            return "CP863";
        case 864:
            return "CP864";
        case 865:
            return "CP865";
        case 866:
            return "CP866";
        case 869:
            return "CP869";
        case 874:
            return "CP874";
        case 875:
            return "IBM875";
        case 932:
            return "CP932";
        case 936:
            return "CP936";
        case 949:
            return "CP949";
        case 950:
            return "CP950";
        case 1026:
            return "IBM1026";
        case 1047:
            return "IBM1047";
        case 1140:
            return "IBM1140";
        case 1200:
            return "UTF-16LE";
        case 1201:
            return "UTF-16BE";
        case 1250:
            return "CP1250";
        case 1251:
            return "CP1251";
        case 1252:
            return "CP1252";
        case 1253:
            return "CP1253";
        case 1254:
            return "CP1254";
        case 1255:
            return "CP1255";
        case 1256:
            return "CP1256";
        case 1257:
            return "CP1257";
        case 1258:
            return "CP1258";
        case 1361:
            return "JOHAB";
        case 10000:
            return "MACINTOSH";
        case 10007:
            return "MAC-CYRILLIC";
        case 10029:
            return "MAC-CENTRALEUROPE";
        case 12000:
            return "UTF-32LE";
        case 12001:
            return "UTF-32BE";
        case 20127:
            return "ASCII";
        case 20866:
            return "KOI8-R";
        case 21866:
            return "KOI8-U";
        case 28591:
            return "ISO-8859-1";
        case 28592:
            return "ISO-8859-2";
        case 28593:
            return "ISO-8859-3";
        case 28594:
            return "ISO-8859-4";
        case 28595:
            return "ISO-8859-5";
        case 28596:
            return "ISO-8859-6";
        case 28597:
            return "ISO-8859-7";
        case 28598:
            return "ISO-8859-8";
        case 28599:
            return "ISO-8859-9";
        case 28603:
            return "ISO-8859-13";
        case 28605:
            return "ISO-8859-15";
        case 38598:
            return "ISO-8859-8";
        case 50220:
            return "ISO-2022-JP";
        case 50225:
            return "ISO-2022-KR";
        case 51932:
            return "EUC-JP";
        case 51949:
            return "EUC-KR";
        case 54936:
            return "GB18030";
        case 65000:
            return "UTF-7";
        case 65001:
            return "UTF-8";
        default:
            return nullptr;  // HZ, ISCII and DOS-720 have no converter in glibc
    }
}

bool IsWideCodePage(int codePage) {
    return codePage == kCodePageUtf16Le || codePage == kCodePageUtf16Be ||
           codePage == kCodePageUtf32Le || codePage == kCodePageUtf32Be;
}

bool CanReportConversionLoss(int codePage) {
    if (codePage == 65000 || codePage == kCodePageUtf8)
        return false;
    if (codePage >= 50220 && codePage <= 50229)
        return false;  // ISO-2022
    if (codePage == 52936 || codePage == 54936)
        return false;  // HZ, GB18030
    if (codePage >= 57002 && codePage <= 57011)
        return false;  // ISCII
    return true;
}

}  // namespace zephyl::xml
