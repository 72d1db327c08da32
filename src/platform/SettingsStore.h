// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace zephyl {

/// The per-user settings of the program (`LCID`, `DeviceType`, `exit_mode`): the [SOFTWARE]
/// section of $XDG_CONFIG_HOME/<software name>/settings.ini, values as decimal text.
///
/// Writes replace the file atomically and keep every other line, so an interrupted write never
/// leaves a half-written file and values of other programs' versions are not lost.
/// A few values fill a settings file; one larger than this is not read (it would make every
/// command slow) and never rewritten.
inline constexpr std::size_t kSettingsFileLimit = 1024 * 1024;

/// Why a value could not be stored.
enum class SettingsWriteError {
    kNone,
    kUnreadable,    ///< the file exists but cannot be read: never overwritten
    kReadOnly,      ///< the file, or the folder it would be written in, is read-only
    kNotAFile,      ///< a folder or anything else that is no plain file
    kDanglingLink,  ///< a link whose target does not exist
    kCannotWrite,   ///< creating, writing or renaming failed (disk full, no folder)
};

struct SettingsWriteResult {
    SettingsWriteError error = SettingsWriteError::kNone;
    std::string path;        ///< the settings file (the link, when it is one)
    std::string linkTarget;  ///< for kDanglingLink: where the link leads
    bool Ok() const { return error == SettingsWriteError::kNone; }
};

class SettingsStore {
public:
    enum class OpenResult { kOpened, kCreated, kFailed };

    explicit SettingsStore(const std::string& softwareName);

    /// Opens the store, creating an empty one when none exists yet.
    OpenResult OpenOrCreate() const;

    /// Whether the store exists and can be read.
    bool Exists() const;

    /// Whether a file stands at Path() that is no settings file: not a regular file (a FIFO, a
    /// folder, a device) or larger than kSettingsFileLimit. Such a file is left exactly as it
    /// is: nothing is read from it and nothing is written over it.
    bool Refused() const;

    /// The value's text, or nothing when the store or the value is missing.
    std::optional<std::string> ReadValue(const std::string& name) const;

    /// Stores one value, creating the store when there is none yet; false when it cannot be
    /// written (an existing store that cannot be read is left as it is).
    bool WriteValue(const std::string& name, const std::string& value) const;
    bool WriteInt(const std::string& name, int value) const;
    /// WriteValue that says why the value was not stored. A link is written through to its
    /// target; a link to nothing is refused rather than replaced by a file of its own.
    SettingsWriteResult StoreValue(const std::string& name, const std::string& value) const;

    /// The value as a decimal number: 0 when missing or not a number.
    int ReadInt(const std::string& name) const;

    const std::string& Path() const { return m_path; }

private:
    std::string m_folder;
    std::string m_path;
};

/// Decimal text to int the way stored values are read: leading blanks and a sign allowed,
/// anything that is not a number gives 0.
int ParseDecimal(const std::string& text);

}  // namespace zephyl
