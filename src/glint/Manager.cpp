// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/Manager.h"

#include "platform/SoftwareIdentity.h"
#include "glint/SkinImage.h"

#include <QDir>

#include <mutex>

namespace zephyl::glint {
namespace {

struct ManagerState {
    std::mutex mutex;
    QString deviceName;
    bool deviceNameSet = false;
    QString skinFolder;
};

ManagerState& State() {
    static ManagerState state;
    return state;
}

}  // namespace

void Manager::SetInstance(void*) {}

void Manager::SetDeviceName(const QString& name) {
    std::lock_guard lock(State().mutex);
    State().deviceName = name;
    State().deviceNameSet = true;
}

QString Manager::GetDeviceName() {
    {
        std::lock_guard lock(State().mutex);
        if (State().deviceNameSet) {
            return State().deviceName;
        }
    }
    return QString::fromStdString(SoftwareName());
}

QString Manager::GetTheme() {
    return QString::fromStdString(Theme());
}

QString Manager::SkinFolder() {
    {
        std::lock_guard lock(State().mutex);
        if (!State().skinFolder.isEmpty()) {
            return State().skinFolder;
        }
    }
    return QString::fromStdString(zephyl::SkinFolder());
}

void Manager::SetSkinFolder(const QString& folder) {
    {
        std::lock_guard lock(State().mutex);
        State().skinFolder = folder;
        if (!folder.isEmpty() && !folder.endsWith('/')) {
            State().skinFolder += '/';
        }
    }
    SkinImage::ClearCache();
}

QString Manager::SkinFile(const QString& name) {
    QString path = name;
    path.replace('\\', '/');
    while (path.contains(QStringLiteral("//"))) {
        path.replace(QStringLiteral("//"), QStringLiteral("/"));
    }
    if (path.isEmpty() || QDir::isAbsolutePath(path)) {
        return path;
    }
    return SkinFolder() + path;
}

QIcon MRender::LoadIconFromFile(const QString& path) {
    QIcon icon(path);
    return icon.availableSizes().isEmpty() ? QIcon() : icon;
}

}  // namespace zephyl::glint
