// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/capture/XkbKeyNames.h"

#include <QChar>
#include <QString>
#include <linux/input-event-codes.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace zephyl {
namespace {

constexpr char kSystemKeyboardFile[] = "/etc/default/keyboard";

// XKB numbers keys from 8 upwards: the Linux key code plus 8.
constexpr xkb_keycode_t kXkbKeycodeOffset = 8;

struct DeadKeyAccent {
    xkb_keysym_t keysym;
    const char* text;
};

// The spacing form of each accent that has one, as printed on keycaps.
constexpr DeadKeyAccent kDeadKeyAccents[] = {
    {XKB_KEY_dead_grave, "`"},
    {XKB_KEY_dead_acute, "\u00B4"},
    {XKB_KEY_dead_circumflex, "^"},
    {XKB_KEY_dead_tilde, "~"},
    {XKB_KEY_dead_macron, "\u00AF"},
    {XKB_KEY_dead_breve, "\u02D8"},
    {XKB_KEY_dead_abovedot, "\u02D9"},
    {XKB_KEY_dead_diaeresis, "\u00A8"},
    {XKB_KEY_dead_abovering, "\u02DA"},
    {XKB_KEY_dead_doubleacute, "\u02DD"},
    {XKB_KEY_dead_caron, "\u02C7"},
    {XKB_KEY_dead_cedilla, "\u00B8"},
    {XKB_KEY_dead_ogonek, "\u02DB"},
    {XKB_KEY_dead_iota, "\u037A"},
    {XKB_KEY_dead_voiced_sound, "\u309B"},
    {XKB_KEY_dead_semivoiced_sound, "\u309C"},
    {XKB_KEY_dead_abovecomma, "\u1FBF"},
    {XKB_KEY_dead_abovereversedcomma, "\u1FFE"},
    {XKB_KEY_dead_currency, "\u00A4"},
    {XKB_KEY_dead_lowline, "_"},
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

// The value of a `NAME=value` line read as the shell reads one word: quotes and backslashes
// removed, ending at the first unquoted blank so a trailing comment is dropped. nullopt for an
// unterminated quote, which the shell would reject too.
std::optional<std::string> ShellWord(std::string_view text) {
    std::string word;
    size_t i = 0;
    while (i < text.size() && !IsBlank(text[i])) {
        const char c = text[i++];
        if (c == '\'') {
            const size_t end = text.find('\'', i);
            if (end == std::string_view::npos) {
                return std::nullopt;
            }
            word.append(text.substr(i, end - i));
            i = end + 1;
        } else if (c == '"') {
            while (true) {
                if (i >= text.size()) {
                    return std::nullopt;
                }
                char inner = text[i++];
                if (inner == '"') {
                    break;
                }
                if (inner == '\\' && i < text.size() && std::strchr("\"\\$`", text[i]) != nullptr) {
                    inner = text[i++];
                }
                word += inner;
            }
        } else if (c == '\\') {
            if (i < text.size()) {
                word += text[i++];
            }
        } else {
            word += c;
        }
    }
    return word;
}

// The variables a shell-syntax configuration file assigns; later assignments win, as in the shell.
std::map<std::string, std::string, std::less<>> ReadAssignments(const std::string& path) {
    std::map<std::string, std::string, std::less<>> values;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::string_view rest = TrimLeft(line);
        if (rest.starts_with("export ")) {
            rest = TrimLeft(rest.substr(7));
        }
        const size_t equals = rest.find('=');
        if (equals == std::string_view::npos || equals == 0) {
            continue;
        }
        const std::string_view name = rest.substr(0, equals);
        // Also skips comment lines: '#' is no name character.
        const bool validName = std::all_of(name.begin(), name.end(), [](char c) {
            return c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                   (c >= 'a' && c <= 'z');
        });
        if (!validName) {
            continue;
        }
        if (std::optional<std::string> value = ShellWord(rest.substr(equals + 1))) {
            values[std::string(name)] = std::move(*value);
        }
    }
    return values;
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

const char* NullIfEmpty(const std::string& text) {
    return text.empty() ? nullptr : text.c_str();
}

std::string Utf8(char32_t codePoint) {
    return QString::fromUcs4(&codePoint, 1).toStdString();
}

std::string DeadKeyName(xkb_keysym_t keysym, std::string_view keysymName) {
    for (const DeadKeyAccent& accent : kDeadKeyAccents) {
        if (accent.keysym == keysym) {
            return accent.text;
        }
    }
    std::string name(keysymName.substr(std::strlen("dead_")));
    std::replace(name.begin(), name.end(), '_', ' ');
    return name;
}

// The layout's name of one key; empty where the English name serves.
std::string LayoutKeyName(xkb_keymap* keymap, xkb_keycode_t keycode) {
    const xkb_keysym_t* keysyms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(keymap, keycode, 0, 0, &keysyms) != 1) {
        return {};
    }
    const xkb_keysym_t keysym = keysyms[0];
    char buffer[64];
    if (xkb_keysym_get_name(keysym, buffer, sizeof buffer) < 0) {
        return {};
    }
    const std::string_view keysymName(buffer);
    // The keypad's "*" or "/" must not read like the main block's keys; the English names
    // tell them apart, and no layout moves them.
    if (keysymName.starts_with("KP_")) {
        return {};
    }
    if (keysymName.starts_with("dead_")) {
        return DeadKeyName(keysym, keysymName);
    }
    const char32_t codePoint = xkb_keysym_to_utf32(keysym);
    // Space, Tab, Return and the like have printable English names.
    if (codePoint == 0 || !QChar::isPrint(codePoint) || QChar::isSpace(codePoint)) {
        return {};
    }
    // Not xkb_keysym_to_upper: it gets some Latin-1 keysyms wrong (ssharp, ydiaeresis).
    return Utf8(QChar::toUpper(codePoint));
}

using NameTable = std::vector<std::string>;  // indexed by Linux key code

std::shared_ptr<const NameTable> CompileNameTable(const XkbLayoutNames& names) {
    // The names are already resolved from the environment; the library must not apply it again.
    const std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context(
        xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES), xkb_context_unref);
    if (!context) {
        return nullptr;
    }
    // A layout that does not compile falls back to English names; that is not worth a screenful
    // of compiler messages on the terminal.
    xkb_context_set_log_level(context.get(), XKB_LOG_LEVEL_CRITICAL);
    const xkb_rule_names ruleNames = {NullIfEmpty(names.rules), NullIfEmpty(names.model),
                                      NullIfEmpty(names.layout), NullIfEmpty(names.variant),
                                      NullIfEmpty(names.options)};
    const std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)> keymap(
        xkb_keymap_new_from_names(context.get(), &ruleNames, XKB_KEYMAP_COMPILE_NO_FLAGS),
        xkb_keymap_unref);
    if (!keymap) {
        return nullptr;
    }
    auto table = std::make_shared<NameTable>(KEY_CNT);
    const xkb_keycode_t first = std::max(xkb_keymap_min_keycode(keymap.get()), kXkbKeycodeOffset);
    const xkb_keycode_t last =
        std::min(xkb_keymap_max_keycode(keymap.get()), KEY_CNT - 1 + kXkbKeycodeOffset);
    for (xkb_keycode_t keycode = first; keycode <= last; ++keycode) {
        (*table)[keycode - kXkbKeycodeOffset] = LayoutKeyName(keymap.get(), keycode);
    }
    return table;
}

}  // namespace

XkbLayoutNames CurrentXkbLayout(const std::string& keyboardFile) {
    const auto file = ReadAssignments(keyboardFile);
    const auto fromFile = [&file](std::string_view name) {
        const auto found = file.find(name);
        return found == file.end() ? std::string() : found->second;
    };
    const auto firstSet = [](std::string preferred, std::string fallback) {
        return preferred.empty() ? fallback : preferred;
    };
    XkbLayoutNames names;
    names.rules = Variable("XKB_DEFAULT_RULES");
    names.model = firstSet(Variable("XKB_DEFAULT_MODEL"), fromFile("XKBMODEL"));
    names.options = firstSet(Variable("XKB_DEFAULT_OPTIONS"), fromFile("XKBOPTIONS"));
    // A variant only means something with its own layout, so the two come from the same place.
    if (names.layout = Variable("XKB_DEFAULT_LAYOUT"); !names.layout.empty()) {
        names.variant = Variable("XKB_DEFAULT_VARIANT");
    } else if (names.layout = fromFile("XKBLAYOUT"); !names.layout.empty()) {
        names.variant = fromFile("XKBVARIANT");
    } else {
        names.layout = "us";
    }
    return names;
}

XkbLayoutNames CurrentXkbLayout() {
    return CurrentXkbLayout(kSystemKeyboardFile);
}

KeyNameSource XkbKeyNameSource(const XkbLayoutNames& names) {
    std::shared_ptr<const NameTable> table = CompileNameTable(names);
    return [table = std::move(table)](int linuxCode) {
        if (table && linuxCode >= 0 && static_cast<size_t>(linuxCode) < table->size() &&
            !(*table)[linuxCode].empty()) {
            return (*table)[linuxCode];
        }
        return EnglishKeyName(linuxCode);
    };
}

KeyNameSource XkbKeyNameSource() {
    return XkbKeyNameSource(CurrentXkbLayout());
}

}  // namespace zephyl
