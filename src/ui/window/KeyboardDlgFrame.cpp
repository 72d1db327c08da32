// SPDX-License-Identifier: GPL-2.0-or-later
// The window frame: background, title bar, tab strip, footer and the frame's own buttons.
#include "app/KeyboardController.h"
#include "glint/Look.h"
#include "glint/SkinImage.h"
#include "platform/SettingsStore.h"
#include "ui/desktop/ClosingBehaviour.h"
#include "ui/dialogs/CloseWindowTipDlg.h"
#include "text/LanguageText.h"
#include "ui/window/HomePage.h"
#include "ui/window/KeyboardDlg.h"
#include "ui/window/WindowServices.h"

#include <QFontMetrics>

#include <algorithm>

namespace zephyl::window {
namespace {

enum FrameId : int {
    kBackground = 30,
    kHomeAnimation = 31,
    kLineLeft = 32,
    kLineTop = 33,
    kLineRight = 34,
    kLineBottom = 35,
    kTitlePanelLeft = 36,
    kTitlePanelRight = 37,
    kLogo = 38,
    kCaption = 39,
    kPageTitle = 40,
    kPageIcon = 41,
    kClose = 42,
    kMinimise = 43,
    kAbsentNotice = 44,
    kWebsite = 45,
    kBattery = 47,
    kConnection = 48,
    kTabStrip = 49,
    kFirstContainer = 50,
    kVersion = 64,
    kFooter = 63,
};

constexpr int kTitleBarHeight = 50;
constexpr std::uint32_t kTitleColour = 0xC8C8C8;
constexpr int kTitleTransparency = 50;
constexpr std::uint32_t kTabTextColour = 0xFFADADAD;
constexpr std::uint32_t kFooterColour = 0xFFB4B4B4;
constexpr int kTabItemSize = 60;
constexpr int kCaptionFontSize = 16;
constexpr int kTextVersion = 960;
constexpr int kTextCopyright = 961;
constexpr int kTextModelAbsent = 1065;
constexpr std::uint32_t kNoticeColour = 0xFFFF7A1A;
constexpr int kFooterFontSize = 12;
// Wide enough for the copyright line in one piece; the version sits far to its left.
constexpr int kFooterWidth = 800;

}  // namespace

void KeyboardDlg::BuildFrame(const QRect& rect) {
    m_background = CreateAreaAs<glint::MPicture>(kBackground, rect);
    m_background->SetImage(QStringLiteral("main_bkg.png"));
    m_background->SetShowMode(1);
    m_homeAnimation = CreateAreaAs<glint::CGifPicture>(kHomeAnimation, rect);
    m_homeAnimation->SetImage(QStringLiteral("main_bkg.gif"));
    m_homeAnimation->SetRunState(1, 0);
    const int lines[4] = {kLineLeft, kLineRight, kLineTop, kLineBottom};
    for (int i = 0; i < 4; ++i) {
        m_frameLines[size_t(i)] = CreateAreaAs<glint::CArea>(lines[i]);
        m_frameLines[size_t(i)]->SetTransparent(kTitleTransparency, 0, kTitleColour);
    }
    m_titlePanels[0] = CreateAreaAs<glint::CArea>(kTitlePanelLeft);
    m_titlePanels[1] = CreateAreaAs<glint::CArea>(kTitlePanelRight);
    for (glint::CArea* panel : m_titlePanels) {
        panel->SetTransparent(kTitleTransparency, 0, kTitleColour);
    }
    m_logo = CreateAreaAs<glint::MPicture>(kLogo);
    m_logo->SetImage(QStringLiteral("logo\\logo.png"));
    m_caption = CreateAreaAs<glint::MText>(kCaption);
    // Placed where it is centred, or after a long page title (FitPageTitle).
    m_caption->SetAlignment(glint::kAlignLeft);
    m_caption->SetTextColor(kTextColour);
    m_caption->SetFontSize(kCaptionFontSize);
    m_pageTitle = CreateAreaAs<glint::MText>(kPageTitle);
    m_pageTitle->SetTextColor(kTextColour);
    m_pageTitle->SetFontSize(16);
    m_pageIcon = CreateAreaAs<glint::MPicture>(kPageIcon);
    m_pageIcon->SetImage(QStringLiteral("logo\\icon_keyboard.png"));
    m_close = CreateControlAs<glint::CImageButton>(kClose);
    m_close->SetImage(QStringLiteral("main_sysbtn_close.png"), 4);
    m_minimise = CreateControlAs<glint::CImageButton>(kMinimise);
    m_minimise->SetImage(QStringLiteral("main_sysbtn_min.png"), 4);
    m_website = CreateControlAs<glint::CImageButton>(kWebsite);
    m_website->SetImage(QStringLiteral("main_sysbtn_website.png"), 4);
    m_battery = CreateAreaAs<glint::BatteryCtrl>(kBattery);
    m_battery->SetImage(QStringLiteral("icon\\icon_battery_bkg.png"));
    m_battery->SetBatteryIcon(QStringLiteral("icon\\icon_batteryvalue.png"),
                              QStringLiteral("icon\\icon_charge.png"));
    m_battery->SetVisible(false);
    m_connection = CreateAreaAs<glint::MPicture>(kConnection);
    m_connection->SetImage(QStringLiteral("icon\\usb_mode.png"));
    m_connection->SetVisible(false);
    ApplyFrameTexts();
}

void KeyboardDlg::BuildTabs() {
    for (int i = 0; i < int(m_containers.size()); ++i) {
        m_containers[size_t(i)] = CreateControlAs<glint::MTabLayout>(kFirstContainer + i);
        m_containers[size_t(i)]->SetVisible(i == 0);
    }
    m_tabs = CreateControlAs<glint::MTabCtrl>(kTabStrip);
    m_tabs->SetTextColor(kTabTextColour);
    m_tabs->SetTabCtrlWidth(kTabItemSize);
    m_tabs->SetTabCtrlHeight(kTabItemSize);
    m_tabs->SetItemWidth(kTabItemSize, kTabItemSize, 1);
    m_tabs->SetItemHeight(kTabItemSize, kTabItemSize, 1);
    for (const TabEntry& tab : kTabs) {
        m_tabs->InsertItem(tab.itemId, Text(tab.text), QString::fromLatin1(tab.icon),
                           m_containers[size_t(tab.container - kFirstContainer)], 4, 0);
    }
    m_tabs->SetSelectItem(kTabHome);
}

void KeyboardDlg::BuildFooter() {
    m_version = CreateAreaAs<glint::MText>(kVersion);
    m_version->SetTextColor(kFooterColour);
    m_version->SetFontSize(kFooterFontSize);
    m_footer = CreateAreaAs<glint::MText>(kFooter);
    m_footer->SetTextColor(kFooterColour);
    m_footer->SetAlignment(glint::kAlignCenter);
    m_footer->SetFontSize(kFooterFontSize);
    m_absentNotice = CreateAreaAs<glint::MText>(kAbsentNotice);
    m_absentNotice->SetTextColor(kNoticeColour);
    m_absentNotice->SetAlignment(glint::kAlignCenter);
    m_absentNotice->SetFontSize(kFooterFontSize);
    m_absentNotice->SetVisible(false);
}

void KeyboardDlg::ShowAbsentNotice() {
    if (!m_absentNotice) {
        return;  // the frame's texts are set once before the footer is built
    }
    const bool absent = m_modelAbsent.load();
    if (absent) {
        QString text = Text(kTextModelAbsent);
        if (text.isEmpty()) {
            text = QStringLiteral(
                "The %s is not connected: this page shows what is stored, and "
                "what you change is kept and sent when it is connected.");
        }
        m_absentNotice->SetTitle(
            text.replace(QStringLiteral("%s"), QString::fromStdString(ModelName())));
    }
    m_absentNotice->SetVisible(absent);
    m_footer->SetVisible(!absent);
}

void KeyboardDlg::FillFromDescriptions() {
    const DeviceDescriptions& descriptions = m_controller->Descriptions();
    m_websiteUrl = QString::fromStdString(descriptions.software.websiteUrl);
    m_website->SetVisible(!m_websiteUrl.isEmpty());
    ApplyFooterTexts();
    m_home->FillModels(descriptions.models, m_controller->SelectedDeviceType());
}

void KeyboardDlg::ApplyFooterTexts() {
    if (m_version == nullptr || m_footer == nullptr) {
        return;  // the frame's captions come before the footer is built
    }
    const SoftwareInfo& software = m_controller->Descriptions().software;
    // "Ver: %s" in the user's language; the copyright line as the language file words it, else
    // as the configuration gives it.
    QString version = Text(kTextVersion);
    if (!version.contains(QStringLiteral("%s"))) {
        version = QStringLiteral("Ver: %s");
    }
    m_version->SetTitle(
        version.replace(QStringLiteral("%s"), QString::fromStdString(software.version)));
    const QString copyright = Text(kTextCopyright);
    m_footer->SetTitle(copyright.isEmpty() ? QString::fromStdString(software.copyright)
                                           : copyright);
}

void KeyboardDlg::ApplyFrameTexts() {
    ApplyFooterTexts();
    ShowAbsentNotice();
    m_caption->SetTitle(QString::fromStdString(LanguageText(kCaptionSection, 1)));
    const int index = m_tabIndex.load();
    if (index != kTabHome) {
        m_pageTitle->SetTitle(Text(kTabs[index].text));
    }
    FitPageTitle();
    ShowCloseTooltip();
    m_minimise->SetTooltip(Text(3));
    m_website->SetTooltip(Text(5));
    if (m_tabs) {
        for (int i = 0; i < kTabCount; ++i) {
            m_tabs->SetItemText(i, Text(kTabs[i].text));
        }
    }
}

void KeyboardDlg::LayoutFrame(const QRect& rect) {
    const int width = rect.width();
    const int height = rect.height();
    m_background->SetRect(QRect(0, 0, width, height));
    m_homeAnimation->SetRect(QRect(0, 0, width, height));
    m_frameLines[0]->SetRect(QRect(0, 0, 1, height));
    m_frameLines[1]->SetRect(QRect(width - 1, 0, 1, height));
    m_frameLines[2]->SetRect(QRect(0, 0, width, 1));
    m_frameLines[3]->SetRect(QRect(0, height - 1, width, 1));
    m_titlePanels[0]->SetRect(glint::RectLTRB(0, 0, 300, kTitleBarHeight));
    m_titlePanels[1]->SetRect(glint::RectLTRB(310, 0, width, kTitleBarHeight));

    QSize logo = glint::SkinImage::Load(QStringLiteral("logo\\logo.png")).size();
    if (logo.isEmpty()) {
        logo = QSize(150, 30);
    }
    m_logo->SetRect(QRect(10, (kTitleBarHeight - logo.height()) / 2, logo.width(), logo.height()));
    m_pageIcon->SetRect(glint::RectLTRB(320, 7, 356, 43));
    FitPageTitle();
    m_close->SetRect(glint::RectLTRB(width - 50, 10, width - 20, 40));
    m_minimise->SetRect(glint::RectLTRB(width - 100, 10, width - 70, 40));
    m_website->SetRect(glint::RectLTRB(width - 150, 10, width - 120, 40));
    m_connection->SetRect(glint::RectLTRB(width - 200, 0, width - 121, kTitleBarHeight));
    m_battery->SetRect(glint::RectLTRB(width - 280, 0, width - 201, kTitleBarHeight));

    m_tabs->SetRect(glint::RectLTRB(1, 60, 61, height - 10));
    for (glint::MTabLayout* container : m_containers) {
        container->SetRect(glint::RectLTRB(60, 60, width - 1, height - 1));
    }
    m_version->SetRect(glint::RectLTRB(10, height - 35, 210, height - 5));
    m_footer->SetRect(QRect((width - kFooterWidth) / 2, height - 35, kFooterWidth, 30));
    m_absentNotice->SetRect(glint::RectLTRB(220, height - 35, width - 20, height - 5));
}

void KeyboardDlg::FitPageTitle() {
    // The logo fills the left part of the title bar, so the page title follows the page icon at
    // its whole width. The program's name stays centred unless the title reaches it; then it
    // moves right, up to the status icons, rather than either text being cut.
    constexpr int kTitleLeft = 366;
    constexpr int kGap = 24;
    const int width = rect().width();
    const QFontMetrics metrics(glint::look::DefaultFont(kCaptionFontSize));
    // Home shows no page title, so the name keeps the centre there.
    const int titleText =
        m_pageTitle->IsVisible() ? metrics.horizontalAdvance(m_pageTitle->GetTitle()) + 4 : 0;
    const int captionText = metrics.horizontalAdvance(m_caption->GetTitle()) + 4;
    const int iconsLeft = width - 290;
    const int titleRight = std::min(kTitleLeft + std::max(titleText, 60), iconsLeft - kGap);
    const int captionLeft = std::max((width - captionText) / 2, titleRight + kGap);
    m_pageTitle->SetRect(glint::RectLTRB(kTitleLeft, 0, titleRight, kTitleBarHeight));
    m_caption->SetRect(
        glint::RectLTRB(captionLeft, 0, std::max(captionLeft + 1, iconsLeft), kTitleBarHeight));
}

bool KeyboardDlg::FrameAcceptsEvent(int id, int code) const {
    return id == kTabStrip || code == glint::kEventClick;
}

int KeyboardDlg::OnFrameEvent(int id, int code, int value) {
    switch (id) {
        case kClose:
            OnClose();
            return 1;
        case kMinimise:
            OnMinimise();
            return 1;
        case kWebsite:
            OnWebsite();
            return 1;
        case kTabStrip:
            if (code != glint::kEventClick) {
                return 0;
            }
            SwitchPage(value);
            return 1;
        default:
            return 0;
    }
}

void KeyboardDlg::OnClose() {
    m_services->CloseMainWindow();
    // Asking may have changed the closing behaviour the button describes.
    ShowCloseTooltip();
}

void KeyboardDlg::ShowCloseTooltip() {
    m_close->SetTooltip(
        Text(CloseButtonTooltipText(m_controller->Settings().ReadInt(kExitModeValue))));
}

void KeyboardDlg::OnMinimise() {
    MWindow::OnMinimize();
}

void KeyboardDlg::OnWebsite() {
    if (!m_websiteUrl.isEmpty()) {
        m_services->OpenAddress(m_websiteUrl);
    }
}

void KeyboardDlg::ShowHomeLook() {
    for (glint::MControl* control :
         {static_cast<glint::MControl*>(m_tabs), static_cast<glint::MControl*>(m_titlePanels[0]),
          static_cast<glint::MControl*>(m_titlePanels[1]),
          static_cast<glint::MControl*>(m_pageTitle), static_cast<glint::MControl*>(m_pageIcon)}) {
        control->SetVisible(false);
    }
    FitPageTitle();
    m_background->SetImage(QStringLiteral("home_bkg.png"));
    m_homeAnimation->SetVisible(true);
    m_homeAnimation->SetRunState(1, 0);
}

void KeyboardDlg::ShowPagesLook(int index) {
    m_homeAnimation->SetVisible(false);
    m_homeAnimation->SetRunState(0, 0);
    m_background->SetImage(QStringLiteral("main_bkg.png"));
    for (glint::MControl* control :
         {static_cast<glint::MControl*>(m_tabs), static_cast<glint::MControl*>(m_titlePanels[0]),
          static_cast<glint::MControl*>(m_titlePanels[1]),
          static_cast<glint::MControl*>(m_pageTitle), static_cast<glint::MControl*>(m_pageIcon)}) {
        control->SetVisible(true);
    }
    m_pageTitle->SetTitle(Text(kTabs[index].text));
    FitPageTitle();
    m_pageIcon->SetImage(QString::fromLatin1(kTabs[index].titleIcon));
}

}  // namespace zephyl::window
