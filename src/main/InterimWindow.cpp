// SPDX-License-Identifier: GPL-2.0-or-later
#include "InterimWindow.h"

#include "app/Environment.h"
#include "catalogue/DeviceCatalogue.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "ui/LanguageText.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace zephyl {
namespace {

QString ModeNames(const DeviceDescriptions& descriptions, int deviceType) {
    QStringList names;
    for (const auto& mode : descriptions.modes) {
        if (mode.deviceType != deviceType) {
            continue;
        }
        switch (mode.mode) {
            case kModeCable:
                names << "USB";
                break;
            case kModeBluetooth:
                names << "Bluetooth";
                break;
            case kModeReceiver:
                names << "2.4 GHz";
                break;
            default:
                break;
        }
    }
    return names.join(", ");
}

}  // namespace

InterimWindow::InterimWindow() {
    const QString caption = QString::fromStdString(LanguageText(kCaptionSection, 1));
    setWindowTitle(caption.isEmpty() ? QStringLiteral("Zephyl Keyboard Driver") : caption);
    resize(1280, 720);

    SettingsStore store(SoftwareName());
    const auto descriptions =
        LoadDeviceDescriptions(ResourceFolder(), SkinFolder(), store.ReadInt("DeviceType"));

    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QString::fromStdString(SoftwareName()), this);
    title->setStyleSheet("font-size: 24px; font-weight: bold;");
    layout->addWidget(title);
    if (!descriptions.software.version.empty()) {
        layout->addWidget(new QLabel(
            QString("Ver: %1").arg(QString::fromStdString(descriptions.software.version)), this));
    }
    auto* models = new QListWidget(this);
    for (const auto& model : descriptions.models) {
        models->addItem(QString("%1  (%2)")
                            .arg(QString::fromStdString(model.name),
                                 ModeNames(descriptions, model.deviceType)));
        if (model.deviceType == descriptions.selectedDeviceType && models->currentRow() < 0) {
            models->setCurrentRow(models->count() - 1);
        }
    }
    layout->addWidget(models, 1);
    if (!descriptions.software.copyright.empty()) {
        layout->addWidget(
            new QLabel(QString::fromStdString(descriptions.software.copyright), this));
    }
}

void InterimWindow::ComeForward() {
    showNormal();
    raise();
    activateWindow();
}

}  // namespace zephyl
