// SPDX-License-Identifier: GPL-2.0-or-later
#include "InterimWindow.h"

#include "LayoutPreview.h"

#include "app/Environment.h"
#include "app/KeyboardController.h"
#include "catalogue/KeyboardLayout.h"
#include "ui/LanguageText.h"

#include <QLabel>
#include <QListWidget>
#include <QMetaObject>
#include <QVBoxLayout>

namespace zephyl {
namespace {

const char* ModeName(int mode) {
    switch (mode) {
        case kModeCable:
            return "USB cable";
        case kModeBluetooth:
            return "Bluetooth";
        case kModeReceiver:
            return "2.4 GHz receiver";
        default:
            return "";
    }
}

}  // namespace

InterimWindow::InterimWindow(std::shared_ptr<KeyboardController> controller)
    : m_controller(std::move(controller)) {
    const QString caption = QString::fromStdString(LanguageText(kCaptionSection, 1));
    setWindowTitle(caption.isEmpty() ? QStringLiteral("Zephyl Keyboard Driver") : caption);
    resize(1280, 720);
    setStyleSheet("background: #282828; color: white;");

    const DeviceDescriptions& descriptions = m_controller->Descriptions();
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QString::fromStdString(SoftwareName()), this);
    title->setStyleSheet("font-size: 24px; font-weight: bold;");
    layout->addWidget(title);
    if (!descriptions.software.version.empty()) {
        layout->addWidget(new QLabel(
            QString("Ver: %1").arg(QString::fromStdString(descriptions.software.version)), this));
    }
    m_models = new QListWidget(this);
    m_models->setMaximumHeight(90);
    m_models->setStyleSheet(
        "QListWidget { background: #1e1e1e; }"
        "QListWidget::item:selected { background: #3d7bd9; }");
    layout->addWidget(m_models);
    m_status = new QLabel(this);
    layout->addWidget(m_status);
    m_preview = new LayoutPreview(this);
    layout->addWidget(m_preview, 1);
    if (!descriptions.software.copyright.empty()) {
        layout->addWidget(
            new QLabel(QString::fromStdString(descriptions.software.copyright), this));
    }
    RefreshModelRows();
    RefreshStatus(false);

    connect(m_models, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        m_controller->OnModelChosen(item->data(Qt::UserRole).toInt());
    });
}

void InterimWindow::ComeForward() {
    showNormal();
    raise();
    activateWindow();
}

void InterimWindow::OnWindowThread(std::function<void()> action) {
    // Qt drops the call when the window is gone before it is delivered.
    QMetaObject::invokeMethod(this, std::move(action), Qt::QueuedConnection);
}

void InterimWindow::RefreshModelRows() {
    const int selected = m_controller->SelectedDeviceType();
    m_models->clear();
    for (const auto& model : m_controller->Descriptions().models) {
        const bool connected = m_connected[model.deviceType];
        auto* item = new QListWidgetItem(
            QString("%1    %2")
                .arg(QString::fromStdString(model.name), connected ? "connected" : "not connected"),
            m_models);
        item->setData(Qt::UserRole, model.deviceType);
        if (model.deviceType == selected) {
            m_models->setCurrentItem(item);
        }
    }
    KeyboardLayout layout = m_controller->Layout();
    m_preview->SetLayout(layout);
}

void InterimWindow::RefreshStatus(bool connected) {
    if (!connected) {
        m_status->setText("No keyboard connected.");
        return;
    }
    QString text = QString("%1 connected by %2")
                       .arg(QString::fromStdString(m_controller->Layout().modelName),
                            ModeName(m_controller->ConnectionMode()));
    if (m_battery > 0) {
        text += QString(", battery %1%").arg(m_battery);
    }
    m_status->setText(text);
}

void InterimWindow::SetAllDeviceState(int state) {
    OnWindowThread([this, state] {
        for (auto& [type, connected] : m_connected) {
            connected = state != 0;
        }
        RefreshModelRows();
    });
}

void InterimWindow::SetDeviceState(int deviceType, int state) {
    OnWindowThread([this, deviceType, state] {
        m_connected[deviceType] = state != 0;
        RefreshModelRows();
    });
}

void InterimWindow::SetSelectDevice(int) {
    OnWindowThread([this] { RefreshModelRows(); });
}

void InterimWindow::ShowConnectedView(int) {
    OnWindowThread([this] {
        RefreshModelRows();
        RefreshStatus(true);
    });
}

void InterimWindow::ShowDisconnectedView() {
    OnWindowThread([this] { RefreshStatus(false); });
}

void InterimWindow::SetBatteryLevel(int percent) {
    OnWindowThread([this, percent] {
        m_battery = percent;
        RefreshStatus(m_controller->Connected());
    });
}

}  // namespace zephyl
