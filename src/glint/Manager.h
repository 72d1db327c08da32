// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QIcon>
#include <QString>

namespace zephyl::glint {

/// Process-wide settings of the control library: the software name shown by the windows and
/// the skin the images come from. Thread-safe.
class Manager {
public:
    /// Kept for the start-up order of the program; there is no module handle to remember.
    static void SetInstance(void* instance = nullptr);
    static void SetDeviceName(const QString& name);
    /// The software name; the one of config.xml until SetDeviceName is called.
    static QString GetDeviceName();
    /// The theme, the sub-folder of skins/.
    static QString GetTheme();

    /// Folder of the skin images with a trailing '/'; the program's skin unless overridden.
    static QString SkinFolder();
    /// Overrides the skin folder (tools and tests); an empty text returns to the program's skin.
    static void SetSkinFolder(const QString& folder);
    /// A skin file name as the windows write it ("icon\\tab_home.png") as a path; absolute
    /// paths stay as they are.
    static QString SkinFile(const QString& name);
};

class MRender {
public:
    /// An icon from an image file (.ico, .png); a null icon when the file cannot be read.
    static QIcon LoadIconFromFile(const QString& path);
};

}  // namespace zephyl::glint
