// SPDX-License-Identifier: GPL-2.0-or-later
#include "InterimWindow.h"

#include "LayoutPreview.h"

#include "app/Environment.h"
#include "catalogue/DeviceCatalogue.h"
#include "catalogue/KeyboardLayout.h"
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
    layout->addWidget(models);

    // The keys of the selected model, as its layout file places them.
    auto* preview = new LayoutPreview(this);
    layout->addWidget(preview, 1);
    auto showModel = [descriptions, preview](int row) {
        if (row < 0 || row >= static_cast<int>(descriptions.models.size())) {
            return;
        }
        KeyboardLayout keyboardLayout;
        LoadLayout(keyboardLayout, descriptions.models[row].deviceType, descriptions.models,
                   ResourceFolder(), SkinFolder());
        preview->SetLayout(keyboardLayout);
    };
    connect(models, &QListWidget::currentRowChanged, this, showModel);
    models->setMaximumHeight(90);
    showModel(models->currentRow());
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
