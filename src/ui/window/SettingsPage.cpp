// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/SettingsPage.h"

#include "app/Environment.h"
#include "app/KeyboardController.h"
#include "app/WorkerCommand.h"
#include "catalogue/KeyboardLayout.h"
#include "device/KeyboardSettings.h"
#include "platform/SettingsStore.h"
#include "sdkserver/SdkKeyboard.h"
#include "sdkserver/SdkServer.h"
#include "text/CurrentLanguage.h"
#include "text/LanguageText.h"
#include "ui/dialogs/UpdateTipDlg.h"
#include "ui/window/ConnectionModeView.h"
#include "ui/window/WindowServices.h"
#include "update/UpdateFeature.h"

#include <QCoreApplication>

#include <filesystem>
#include <set>
#include <thread>

namespace zephyl::window {
namespace {

constexpr int kEnglish = 1033;
constexpr int kRussian = 1049;
constexpr int kSimplifiedChinese = 2052;

QString LanguageName(int language) {
    switch (language) {
        case kEnglish:
            return QStringLiteral("English");
        case kRussian:
            return QStringLiteral("Русский");
        case kSimplifiedChinese:
            return QStringLiteral("简体中文");
        default:
            return QString::number(language);
    }
}
constexpr int kDefaultResponseTime = 2;

}  // namespace

SettingsPage::SettingsPage(const PageContext& context) : Page(context, kContainer) {}

SettingsPage::~SettingsPage() {
    m_stopChecks->store(true);
    if (m_softwareCheck.joinable()) {
        m_softwareCheck.join();
    }
}

void SettingsPage::BuildControls() {
    MakePanel(kPanelLeft);
    MakePanel(kPanelRight);

    MakeText(kLanguageText, 150);
    m_language = MakeCombo(kLanguage);
    // Every language config.xml offers whose file is there, so a language the program started
    // in can always be chosen again. The names are written in their own language.
    std::set<int> offered = LanguageSet();
    offered.insert({kEnglish, kRussian, CurrentLanguageId()});
    for (int language : offered) {
        if (language == kEnglish || std::filesystem::exists(LanguageFilePath(language))) {
            m_language->AddItem(LanguageName(language), language);
        }
    }
    m_language->SelectData(CurrentLanguageId());

    m_sleepText = MakeText(kSleepText, 141);
    m_sleep = MakeCombo(kSleep);
    LanguageItems(m_sleep, {{142, 0}, {143, 1}, {144, 2}, {145, 3}});
    m_sleep->SelectData(0);

    m_responseText = MakeText(kResponseText, 140);
    m_response = MakeCombo(kResponse);
    for (int value = 1; value <= 5; ++value) {
        m_response->AddItem({}, value);
    }
    OnLanguage([this] {
        for (int i = 0; i < m_response->GetItemCount(); ++i) {
            m_response->SetItemText(i, QString::number(i + 1) + QStringLiteral(" ") + Text(149));
        }
    });
    m_response->SelectData(kDefaultResponseTime);

    m_help = Make<glint::CHelpButton>(kResponseHelp);
    m_help->SetImage(QStringLiteral("img_help.png"), 4);
    OnLanguage([this] { ShowResponseHelp(m_response->GetCurData()); });

    m_autostart = MakeCheck(kAutostart, 151);
    m_autostart->SetCheck(Services().AutostartEnabled() ? 1 : 0);

    m_resetKeys = MakeButton(kResetKeys, 152);
    TooltipText(m_resetKeys, 891);
    m_restore = MakeButton(kRestoreDefaults, 153);
    TooltipText(m_restore, 892);

    m_softwareUpdate = Make<glint::UpgradeButton>(kSoftwareUpdate);
    m_softwareUpdate->SetImage(QStringLiteral("btn_apply.png"), 4);
    m_softwareUpdate->SetAlignment(glint::kAlignCenter);
    CaptionText(m_softwareUpdate, 156);
    m_firmwareUpdate = Make<glint::UpgradeButton>(kFirmwareUpdate);
    m_firmwareUpdate->SetImage(QStringLiteral("btn_apply.png"), 4);
    m_firmwareUpdate->SetAlignment(glint::kAlignCenter);
    CaptionText(m_firmwareUpdate, 157);
    m_firmwareUpdate->SetVisible(false);

    // The four action buttons take long captions in some languages.
    for (glint::MButton* button :
         {static_cast<glint::MButton*>(m_resetKeys), static_cast<glint::MButton*>(m_restore),
          static_cast<glint::MButton*>(m_softwareUpdate),
          static_cast<glint::MButton*>(m_firmwareUpdate)}) {
        button->SetFontSize(13);
    }

    m_keyboard = Make<glint::KeyboardCtrl>(kKeyboard);
    m_keyboard->SetKeyboardCtrlMode(glint::kKeyboardModeColour);

    m_lockWin = MakeCheck(kLockWin, 160);
    m_lockAltF4 = MakeCheck(kLockAltF4, 161);
    m_lockAltTab = MakeCheck(kLockAltTab, 162);

    // Off unless the user turned it on; the port is kept even while it is off.
    m_sdkCheck = MakeCheck(kSdkServer, 980);
    MakeText(kSdkPortText, 981);
    m_sdkPort = MakeNumberField(kSdkPort);
    m_sdkPort->SetLimitText(5);
    const int storedPort = Controller().Settings().ReadInt(kSdkPortKey);
    m_sdkPort->SetEditText(
        QString::number(storedPort > 0 && storedPort <= 65535 ? storedPort : kSdkDefaultPort));
    m_sdkCheck->SetCheck(Controller().Settings().ReadInt(kSdkServerKey) == 1 ? 1 : 0);
    ApplySdkServer(false);
}

void SettingsPage::Layout(const QSize& size) {
    const int bottom = size.height() - kFooterRoom - 10;
    constexpr int kLeftWidth = 500;
    Place(Window().GetControl(kPanelLeft), glint::RectLTRB(10, 10, 10 + kLeftWidth, bottom));
    Place(Window().GetControl(kPanelRight),
          glint::RectLTRB(20 + kLeftWidth, 10, size.width() - 10, bottom));

    // Preferences at the top of the left panel, the resets and updates at its foot.
    constexpr int kLabelX = 40;
    constexpr int kFieldX = 220;
    constexpr int kFieldWidth = 200;
    constexpr int kRow = 58;
    int y = 40;
    auto row = [&](int labelId, glint::MControl* field) {
        Place(Window().GetControl(labelId), QRect(kLabelX, y, kFieldX - kLabelX - 10, 32));
        Place(field, QRect(kFieldX, y, kFieldWidth, 32));
        y += kRow;
    };
    row(kLanguageText, m_language);
    row(kSleepText, m_sleep);
    const int responseY = y;
    row(kResponseText, m_response);
    m_help->SetRect(QRect(kFieldX + kFieldWidth + 12, responseY + 5, 22, 22));
    m_autostart->SetRect(QRect(kLabelX, y, kLeftWidth - 2 * kLabelX, 32));
    y += 42;
    m_sdkCheck->SetRect(QRect(kLabelX, y, kLeftWidth - 2 * kLabelX, 32));
    y += 42;
    Place(Window().GetControl(kSdkPortText), QRect(kLabelX + 30, y, 80, 32));
    Place(m_sdkPort, QRect(kLabelX + 120, y, 90, 32));

    constexpr int kButtonWidth = 210;
    constexpr int kButtonGap = 20;
    const int updatesY = bottom - 36 - 30;
    const int resetsY = updatesY - 52;
    m_resetKeys->SetRect(QRect(kLabelX, resetsY, kButtonWidth, 36));
    m_restore->SetRect(QRect(kLabelX + kButtonWidth + kButtonGap, resetsY, kButtonWidth, 36));
    m_softwareUpdate->SetRect(QRect(kLabelX, updatesY, kButtonWidth, 36));
    m_firmwareUpdate->SetRect(
        QRect(kLabelX + kButtonWidth + kButtonGap, updatesY, kButtonWidth, 36));

    // The keyboard with its game-mode locks below it.
    const int left = 20 + kLeftWidth + 30;
    const int right = size.width() - 40;
    constexpr int kLockRow = 42;
    const int locksY = bottom - 3 * kLockRow - 20;
    m_keyboard->SetRect(glint::RectLTRB(left, 30, right, locksY - 20));
    int lockY = locksY;
    for (glint::CCheckButton* lock : {m_lockWin, m_lockAltF4, m_lockAltTab}) {
        lock->SetRect(QRect(left, lockY, right - left, 32));
        lockY += kLockRow;
    }
}

bool SettingsPage::AcceptsEvent(int id, int code) const {
    return Page::AcceptsEvent(id, code) || (id == kSdkPort && code == glint::kEventEditFinished);
}

int SettingsPage::OnEvent(int id, int code, int) {
    if (id == kSdkPort && code == glint::kEventEditFinished) {
        ApplySdkServer(true);
        return 1;
    }
    if (code != glint::kEventClick) {
        return 0;
    }
    switch (id) {
        case kLanguage:
            OnLanguageChosen();
            return 1;
        case kSleep:
            OnChoiceStored(m_sleep, kSleepTimeKey);
            return 1;
        case kResponse:
            OnChoiceStored(m_response, kKeyResponseTimeKey);
            ShowResponseHelp(m_response->GetCurData());
            return 1;
        case kAutostart:
            OnAutostart();
            return 1;
        case kResetKeys:
            OnResetKeys();
            return 1;
        case kRestoreDefaults:
            OnRestoreDefaults();
            return 1;
        case kSoftwareUpdate:
            return OnSoftwareUpdate();
        case kFirmwareUpdate:
            OnFirmwareUpdate();
            return 1;
        case kLockWin:
            OnLockChanged(m_lockWin, kDisableWinKey);
            return 1;
        case kLockAltF4:
            OnLockChanged(m_lockAltF4, kDisableAltF4Key);
            return 1;
        case kLockAltTab:
            OnLockChanged(m_lockAltTab, kDisableAltTabKey);
            return 1;
        case kSdkServer:
            ApplySdkServer(true);
            return 1;
        default:
            return 0;
    }
}

void SettingsPage::ApplyLanguageTexts() {
    Page::ApplyLanguageTexts();
    m_language->SelectData(CurrentLanguageId());
}

void SettingsPage::OnLanguageChosen() {
    const int language = m_language->GetCurData();
    if (language <= 0) {
        return;
    }
    SetCurrentLanguageId(language);
    Controller().Settings().WriteInt("LCID", language);
    m_context.applyLanguageTexts();
}

void SettingsPage::OnChoiceStored(glint::MComboBox* combo, const char* key) {
    if (combo->GetCurSel() < 0) {
        return;
    }
    if (Controller().StoreSetting(key, combo->GetCurData())) {
        Controller().PostCommand(kCommandSendSettings);
    }
}

void SettingsPage::OnLockChanged(glint::CCheckButton* check, const char* key) {
    if (Controller().StoreSetting(key, check->GetCheck() ? 1 : 0)) {
        Controller().PostCommand(kCommandSendSettings);
    }
}

void SettingsPage::ApplySdkServer(bool tell) {
    bool validPort = false;
    const int port = m_sdkPort->GetEditText().toInt(&validPort);
    validPort = validPort && port > 0 && port <= 65535;
    const bool wanted = m_sdkCheck->GetCheck() != 0;
    // What the user changed is kept; start-up only reads.
    if (tell) {
        if (validPort) {
            Controller().Settings().WriteInt(kSdkPortKey, port);
        }
        Controller().Settings().WriteInt(kSdkServerKey, wanted ? 1 : 0);
    }
    const std::shared_ptr<SdkKeyboard> keyboard = SdkKeyboardOf(Controller());
    const bool samePort = m_sdkServer && m_sdkServer->Port() == port;
    if (!wanted || !keyboard || !samePort) {
        m_sdkServer.reset();  // stops and joins the server's thread
    }
    if (!wanted || !keyboard || m_sdkServer) {
        return;
    }
    SdkServerOptions options;  // this computer only
    options.port = static_cast<std::uint16_t>(validPort ? port : kSdkDefaultPort);
    auto server = std::make_unique<SdkServer>(keyboard);
    std::string error;
    if (!server->Start(options, error)) {
        m_sdkCheck->SetCheck(0);
        // At start-up the port may be taken for a while only: the choice stays for the next.
        if (!tell) {
            return;
        }
        Controller().Settings().WriteInt(kSdkServerKey, 0);
        Services().ShowMessageBox(Text(980),
                                  Text(982) + QStringLiteral("\n") + QString::fromStdString(error),
                                  kMessageOk);
        return;
    }
    m_sdkServer = std::move(server);
}

void SettingsPage::OnAutostart() {
    Services().SetAutostart(m_autostart->GetCheck() != 0);
}

void SettingsPage::OnResetKeys() {
    if (Services().ShowMessageBox(Text(166), Text(165), kMessageQuestion) != kAnswerOk) {
        return;
    }
    // The waiting sign goes up before the worker can take the command and close it.
    const int mode = Controller().ConnectionMode();
    const bool waits = mode == kModeCable || mode == kModeReceiver;
    if (waits) {
        Services().OpenWaitDialog();
    }
    if (Controller().ResetKeyAssignments() == 0 && waits) {
        Services().CloseWaitDialog();
    }
}

void SettingsPage::OnRestoreDefaults() {
    if (Services().ShowMessageBox(Text(168), Text(167), kMessageQuestion) != kAnswerOk) {
        return;
    }
    const bool connected = Controller().Connected();
    if (connected) {
        Services().OpenWaitDialog();
    }
    std::string problem;
    const bool restored =
        Controller().RestoreDefaults(Controller().Descriptions().defaultLanguage, &problem);
    if (connected && !restored) {
        Services().CloseWaitDialog();
    }
    if (!problem.empty()) {
        Services().ShowMessageBox(Text(168), QString::fromStdString(problem), kMessageOk);
        return;
    }
    // The program's own preferences came back whether or not a keyboard is there.
    m_autostart->SetCheck(Services().AutostartEnabled() ? 1 : 0);
    m_context.applyLanguageTexts();
}

void SettingsPage::OnFirmwareUpdate() {
    const std::shared_ptr<UpdateService> updates = UpdateServiceOf(Controller());
    if (!updates) {
        return;
    }
    const FirmwareCheck check = updates->CheckFirmware();
    // "Up to date" is said only when the keyboard told us its release and it compared.
    if (check.offered && check.releaseNumber > 0 && !check.outOfDate) {
        Services().ShowMessageBox(Text(157), Text(175), kMessageOk);
        return;
    }
    RunFirmwareUpdate();
}

void SettingsPage::RunFirmwareUpdate() {
    switch (Controller().FirmwareUpdate()) {
        case KeyboardController::FirmwareUpdateResult::kNoTool:
            Services().ShowMessageBox(Text(157), Text(948), kMessageOk);
            break;
        case KeyboardController::FirmwareUpdateResult::kToolOutside:
            Services().ShowMessageBox(
                Text(157), Text(static_cast<int>(PackageOutcome::kToolOutsideFolder)), kMessageOk);
            break;
        default:
            break;
    }
}

void SettingsPage::OfferFirmwareUpdate() {
    const std::shared_ptr<UpdateService> updates = UpdateServiceOf(Controller());
    if (!updates || !updates->CheckFirmware().outOfDate) {
        return;
    }
    UpdateTipDlg offer;
    if (offer.CreateDlg(&Window()) && offer.ShowModal() == 1) {
        RunFirmwareUpdate();
    }
}

int SettingsPage::OnSoftwareUpdate() {
    const std::shared_ptr<UpdateService> updates = UpdateServiceOf(Controller());
    if (!updates) {
        return 0;
    }
    if (m_checkingSoftware) {
        return 1;
    }
    m_checkingSoftware = true;
    // The server may take up to the connect time-out to answer: the window keeps drawing under
    // the wait dialog while another thread asks.
    Services().OpenWaitDialog();
    if (m_softwareCheck.joinable()) {
        m_softwareCheck.join();  // the last check has answered: its thread is ending
    }
    m_softwareCheck = std::thread(
        [this, updates, window = &Window(), gate = m_context.gate, stop = m_stopChecks] {
            const SoftwareCheck check = updates->CheckSoftware(stop);
            // The gate keeps the window there while the answer is queued on it; a window that has
            // gone drops the answer with its queue.
            gate->Run([&] {
                QMetaObject::invokeMethod(
                    window, [this, check] { OnSoftwareChecked(check); }, Qt::QueuedConnection);
            });
        });
    return 1;
}

void SettingsPage::OnSoftwareChecked(const SoftwareCheck& check) {
    m_checkingSoftware = false;
    Services().CloseWaitDialog();
    const std::shared_ptr<UpdateService> updates = UpdateServiceOf(Controller());
    if (!updates) {
        return;
    }
    m_softwareUpdate->SetUpgradeState(check.state == SoftwareCheck::State::kAvailable);
    switch (check.state) {
        case SoftwareCheck::State::kFromDistribution:
            Services().ShowMessageBox(Text(156), Text(944), kMessageOk);
            return;
        case SoftwareCheck::State::kFailed:
            Services().ShowMessageBox(Text(156), Text(946), kMessageOk);
            return;
        case SoftwareCheck::State::kUpToDate:
            Services().ShowMessageBox(Text(156), Text(175), kMessageOk);
            return;
        case SoftwareCheck::State::kAvailable:
            break;
    }
    if (Services().ShowMessageBox(
            Text(156),
            Text(945).replace(QStringLiteral("%s"), QString::fromStdString(check.available)),
            kMessageQuestion) != kAnswerOk) {
        return;
    }
    // The installer starts once the program has left through its own exit path, so the
    // worker stops between two commands and the tray icon goes away first.
    WindowServices* services = &Services();
    updates->SetInstallerHandOff([services](const std::string& program) {
        StartAfterExit(program);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [services] { services->Quit(); }, Qt::QueuedConnection);
    });
    StartDownload(updates, kCommandDownloadInstaller);
}

void SettingsPage::StartDownload(const std::shared_ptr<UpdateService>& updates, int command) {
    WindowServices* services = &Services();
    updates->SetProgressObserver([services, gate = m_context.gate](int percent) {
        gate->Run([&] { services->SetDownloadProgress(percent); });
    });
    // Shown before the command is posted, so the worker's close cannot come first. The worker
    // closes it however the command ends and tells why when the package was not run.
    Services().OpenDownloadDialog([updates] { updates->Cancel(); });
    Controller().PostCommand(command);
}

void SettingsPage::ShowResponseHelp(int value) {
    QStringList lines;
    for (int id : ResponseTimeTooltipTextIds(value)) {
        lines << Text(id);
    }
    const QString help = lines.join(QLatin1Char('\n'));
    m_help->SetTitle(help);
    m_response->SetTooltip(help);
}

void SettingsPage::Show(const SettingsPageView& page) {
    m_response->SelectData(page.settings.keyResponseTime);
    m_sleep->SelectData(page.settings.sleepTime);
    ShowResponseHelp(page.settings.keyResponseTime);
    m_lockWin->SetCheck(page.settings.disableWin ? 1 : 0);
    m_lockAltF4->SetCheck(page.settings.disableAltF4 ? 1 : 0);
    m_lockAltTab->SetCheck(page.settings.disableAltTab ? 1 : 0);
    for (glint::CCheckButton* lock : {m_lockWin, m_lockAltF4, m_lockAltTab}) {
        lock->SetVisible(true);
    }
    m_responseText->SetVisible(page.responseTimeVisible);
    m_response->SetVisible(page.responseTimeVisible);
    m_help->SetVisible(page.responseTimeVisible);
    m_sleepText->SetVisible(page.sleepTimeVisible);
    m_sleep->SetVisible(page.sleepTimeVisible);
}

void SettingsPage::ApplyLayoutVisibility(const KeyboardLayout& layout) {
    m_responseText->SetVisible(layout.responseTimeSetting);
    m_response->SetVisible(layout.responseTimeSetting);
    m_help->SetVisible(layout.responseTimeSetting);
    m_sleepText->SetVisible(layout.sleepTimeSetting);
    m_sleep->SetVisible(layout.sleepTimeSetting);
    // Whether an update of the program is waiting is only known after the next check.
    m_softwareUpdate->SetUpgradeState(false);
}

void SettingsPage::ShowFirmwareButton(bool shown) {
    m_firmwareUpdate->SetVisible(shown);
}

}  // namespace zephyl::window
