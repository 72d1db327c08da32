// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/dialogs/WaitDlg.h"

#include "glint/CGifPicture.h"
#include "glint/MButton.h"
#include "glint/MProgress.h"
#include "glint/MText.h"
#include "ui/dialogs/DialogText.h"

#include <algorithm>
#include <utility>

namespace zephyl {

using namespace glint;

namespace {

constexpr int kTextSending = 861;
constexpr int kTextKeepConnected = 888;
constexpr int kTextUploadPercent = 890;
constexpr int kTextDownloading = 951;
constexpr int kTextCancel = 950;
constexpr std::uint32_t kTextColour = 0xFFC8C8C8;
constexpr int kProgressHeight = 10;

}  // namespace

WaitingWindow::WaitingWindow(QSize size, std::uint32_t colour) : m_size(size), m_colour(colour) {}

bool WaitingWindow::CreateWaiting(MWindow* owner, const QString& name) {
    if (!Create(owner, name, kDialogCreateStyle, kExStyleToolWindow, QRect(QPoint(), m_size))) {
        return false;
    }
    // Centred over the owner's window, or on the screen without one (or while it is hidden).
    CenterWindow();
    return true;
}

void WaitingWindow::ShowWaiting() {
    if (GetParentWindow() != nullptr && !isVisible()) {
        // The owner takes no input while the work runs, as under a modal run, but nothing
        // waits here: the worker's DoOK hides the window and frees the owner.
        setWindowModality(Qt::WindowModal);
    }
    ShowWindow(kShow);
}

void WaitingWindow::InitUI(const QRect&) {
    SetLayered(true);
    SetBackgroundColor(m_colour);
}

bool WaitingWindow::OnInitDialog() {
    SetWindowPos(kOrderTopMost, 0, 0, 0, 0, kPosNoMove | kPosNoSize);
    return true;
}

void WaitingWindow::CreateAnimation() {
    // Passive, so a press anywhere drags the window.
    auto* animation = CreateAreaAs<CGifPicture>(kAnimationId, RectLTRB(1, 1, 101, 101));
    animation->SetImage(QStringLiteral("loading.gif"));
    animation->SetRunState(1, 0);
}

void WaitDlg::InitUI(const QRect& rect) {
    WaitingWindow::InitUI(rect);
    CreateAnimation();
}

void LEDWaitDlg::InitUI(const QRect& rect) {
    WaitingWindow::InitUI(rect);
    CreateAnimation();
}

void LEDWaitDlg2::InitUI(const QRect& rect) {
    WaitingWindow::InitUI(rect);
    SetBackgroundImage(QStringLiteral("img_loading_bkg.png"));
    const struct {
        int id;
        int text;
    } lines[] = {{kTitleId, kTextSending}, {kHintId, kTextKeepConnected}};
    setWindowTitle(DialogText(kTextSending));  // the desktop's task switcher shows it
    for (const auto& line : lines) {
        auto* text = CreateAreaAs<MText>(line.id, {}, DialogText(line.text));
        text->SetTextColor(kTextColour);
    }
    CreateAreaAs<MProgress>(kProgressId);
}

void LEDWaitDlg2::UISize(const QRect& rect) {
    const int width = rect.width();
    // The texts run to the window's edge: the languages' sentences are longer than the first
    // 150 pixels.
    GetControl(kTitleId)->SetRect(RectLTRB(17, 15, width - 17, 35));
    GetControl(kHintId)->SetRect(RectLTRB(30, 60, width - 30, 80));
    GetControl(kProgressId)->SetRect(RectLTRB(30, 80, width - 30, 80 + kProgressHeight));
}

void LEDWaitDlg2::SetProgress(int percent) {
    if (auto* progress = GetControlAs<MProgress>(kProgressId)) {
        progress->SetProgress(percent);
    }
    // The title says how far the upload is, in the language's own words ("... %d%%").
    if (auto* title = GetControlAs<MText>(kTitleId)) {
        QString text = DialogText(kTextUploadPercent);
        text.replace(QLatin1String("%d"), QString::number(std::clamp(percent, 0, 100)))
            .replace(QLatin1String("%%"), QLatin1String("%"));
        title->SetTitle(text);
    }
}

int LEDWaitDlg2::GetProgress() const {
    auto* progress = GetControlAs<MProgress>(kProgressId);
    return progress != nullptr ? progress->GetProgress() : 0;
}

bool DownloadWaitDlg::CreateDlg(MWindow* mainWindow, std::function<void()> cancel) {
    m_cancel = std::move(cancel);
    return CreateWaiting(mainWindow, QStringLiteral("DownloadWaitDlg"));
}

void DownloadWaitDlg::InitUI(const QRect& rect) {
    WaitingWindow::InitUI(rect);
    SetBackgroundImage(QStringLiteral("img_loading_bkg.png"));
    setWindowTitle(DialogText(kTextDownloading));
    auto* title = CreateAreaAs<MText>(kTitleId, {}, DialogText(kTextDownloading));
    title->SetTextColor(kTextColour);
    CreateAreaAs<MProgress>(kProgressId);
    auto* cancel = CreateControlAs<MButton>(kCancelId, {}, DialogText(kTextCancel));
    cancel->SetImage(QStringLiteral("btn_apply.png"), 4);
    cancel->SetAlignment(kAlignCenter);
}

void DownloadWaitDlg::UISize(const QRect& rect) {
    const int width = rect.width();
    GetControl(kTitleId)->SetRect(RectLTRB(17, 15, width - 17, 35));
    GetControl(kProgressId)->SetRect(RectLTRB(30, 60, width - 30, 60 + kProgressHeight));
    GetControl(kCancelId)->SetRect(RectLTRB(width / 2 - 60, 95, width / 2 + 60, 127));
}

int DownloadWaitDlg::OnMessage(int id, int code, int) {
    if (id != kCancelId || code != kEventClick) {
        return 0;
    }
    // The transfer ends on the worker, which then closes this window and says why.
    GetControl(kCancelId)->SetEnabled(false);
    if (std::function<void()> cancel = std::exchange(m_cancel, {})) {
        cancel();
    }
    return 1;
}

void DownloadWaitDlg::SetProgress(int percent) {
    if (auto* progress = GetControlAs<MProgress>(kProgressId)) {
        progress->SetProgress(percent);
    }
}

int DownloadWaitDlg::GetProgress() const {
    auto* progress = GetControlAs<MProgress>(kProgressId);
    return progress != nullptr ? progress->GetProgress() : 0;
}

}  // namespace zephyl
