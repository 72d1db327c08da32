// SPDX-License-Identifier: GPL-2.0-or-later
// The waiting windows shown while the worker talks to the keyboard. They have nothing to press:
// the program ends them with DoOK (any thread) when the work they wait for is done. Keep them
// through WaitDialogs, which holds at most one of each kind.
//
//   class WaitingWindow : glint::MDialog   layered, topmost, dragged by any point, ignores
//                                          every event and the desktop's close
//     void ShowWaiting()                   shows it without a modal run; a window with an
//                                          owner blocks the owner's input while it is shown
//   class WaitDlg       "WaitDlg", 102 x 102, over the main window: CreateDlg(mainWindow)
//   class LEDWaitDlg    "LEDWaitDlg", 102 x 102, centred on the screen: CreateDlg()
//   class LEDWaitDlg2   "LEDWaitDlg", 395 x 150, centred on the screen: CreateDlg();
//                       SetProgress(0..100) from any thread (control 32)
//   class DownloadWaitDlg "DownloadWaitDlg", 395 x 150, over the main window:
//                       CreateDlg(mainWindow, cancel); SetProgress(0..100) from any thread; its
//                       one button (33) runs `cancel` once and is disabled after
//   controls: 30 the loading animation (WaitDlg, LEDWaitDlg); 30, 31 texts 861, 888 and the
//   progress bar 32 (LEDWaitDlg2).
#pragma once

#include "glint/MDialog.h"

#include <cstdint>
#include <functional>

namespace zephyl {

class WaitingWindow : public glint::MDialog {
public:
    static constexpr int kAnimationId = 30;

    void ShowWaiting();

protected:
    WaitingWindow(QSize size, std::uint32_t colour);
    /// Makes the window; over `owner` when there is one, else centred on the screen.
    bool CreateWaiting(glint::MWindow* owner, const QString& name);
    /// The loading animation as the one control.
    void CreateAnimation();

    void InitUI(const QRect& rect) override;
    bool OnInitDialog() override;
    int OnMessage(int, int, int) override { return 0; }
    void OnCloseRequest() override {}

private:
    QSize m_size;
    std::uint32_t m_colour;
};

class WaitDlg : public WaitingWindow {
public:
    static constexpr int kSize = 102;
    static constexpr std::uint32_t kColour = 0x333333;

    WaitDlg() : WaitingWindow(QSize(kSize, kSize), kColour) {}
    bool CreateDlg(glint::MWindow* mainWindow) {
        return CreateWaiting(mainWindow, QStringLiteral("WaitDlg"));
    }

protected:
    void InitUI(const QRect& rect) override;
};

class LEDWaitDlg : public WaitingWindow {
public:
    static constexpr int kSize = 102;
    static constexpr std::uint32_t kColour = 0x351806;

    LEDWaitDlg() : WaitingWindow(QSize(kSize, kSize), kColour) {}
    bool CreateDlg() { return CreateWaiting(nullptr, QStringLiteral("LEDWaitDlg")); }

protected:
    void InitUI(const QRect& rect) override;
};

class LEDWaitDlg2 : public WaitingWindow {
public:
    static constexpr int kWidth = 395;
    static constexpr int kHeight = 150;
    static constexpr int kTitleId = 30;
    static constexpr int kHintId = 31;
    static constexpr int kProgressId = 32;

    LEDWaitDlg2() : WaitingWindow(QSize(kWidth, kHeight), LEDWaitDlg::kColour) {}
    bool CreateDlg() { return CreateWaiting(nullptr, QStringLiteral("LEDWaitDlg")); }

    /// The upload's progress, 0..100; any thread.
    void SetProgress(int percent);
    int GetProgress() const;

protected:
    void InitUI(const QRect& rect) override;
    void UISize(const QRect& rect) override;
};

/// The wait of an update download: its progress and a Cancel that ends the transfer.
class DownloadWaitDlg : public WaitingWindow {
public:
    static constexpr int kWidth = 395;
    static constexpr int kHeight = 150;
    static constexpr int kTitleId = 30;
    static constexpr int kProgressId = 32;
    static constexpr int kCancelId = 33;

    DownloadWaitDlg() : WaitingWindow(QSize(kWidth, kHeight), LEDWaitDlg::kColour) {}
    bool CreateDlg(glint::MWindow* mainWindow, std::function<void()> cancel);

    /// The download's progress, 0..100; any thread.
    void SetProgress(int percent);
    int GetProgress() const;

protected:
    void InitUI(const QRect& rect) override;
    void UISize(const QRect& rect) override;
    int OnMessage(int id, int code, int value) override;

private:
    std::function<void()> m_cancel;
};

}  // namespace zephyl
