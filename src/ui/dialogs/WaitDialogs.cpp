// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/dialogs/WaitDialogs.h"

namespace zephyl {

WaitDialogs::WaitDialogs(glint::MWindow* mainWindow) : m_mainWindow(mainWindow) {}

WaitDialogs::~WaitDialogs() {
    Replace(m_waitDlg, {});
    Replace(m_ledWaitDlg, {});
    Replace(m_ledWaitDlg2, {});
    Replace(m_downloadWaitDlg, {});
}

template <class T>
T* WaitDialogs::Replace(std::unique_ptr<T>& slot, std::unique_ptr<T> next) {
    std::unique_ptr<T> previous;
    T* shown = next.get();
    {
        std::lock_guard lock(m_mutex);
        previous = std::move(slot);
        slot = std::move(next);
    }
    // Out of the worker's reach now; ending it first frees its owner at once.
    if (previous != nullptr) {
        previous->DoOK();
        // Not deleted here: the toolkit may be inside its handling of this very window (a
        // change of the active window runs page handlers through focus events, and one of them
        // may open the next wait), and would touch it again once that handler returns. It goes
        // when the event loop is back.
        previous.release()->deleteLater();
    }
    return shown;
}

template <class T>
void WaitDialogs::Close(const std::unique_ptr<T>& slot) {
    std::lock_guard lock(m_mutex);
    if (slot != nullptr) {
        slot->DoOK();
    }
}

WaitDlg* WaitDialogs::ShowWaitDlg() {
    auto dialog = std::make_unique<WaitDlg>();
    dialog->CreateDlg(m_mainWindow);
    dialog->ShowWaiting();
    // Published only once shown: a close that reaches it now ends this run for good.
    return Replace(m_waitDlg, std::move(dialog));
}

LEDWaitDlg* WaitDialogs::ShowLEDWaitDlg() {
    auto dialog = std::make_unique<LEDWaitDlg>();
    dialog->CreateDlg();
    dialog->ShowWaiting();
    return Replace(m_ledWaitDlg, std::move(dialog));
}

LEDWaitDlg2* WaitDialogs::ShowLEDWaitDlg2() {
    auto dialog = std::make_unique<LEDWaitDlg2>();
    dialog->CreateDlg();
    dialog->ShowWaiting();
    return Replace(m_ledWaitDlg2, std::move(dialog));
}

DownloadWaitDlg* WaitDialogs::ShowDownloadWaitDlg(std::function<void()> cancel) {
    auto dialog = std::make_unique<DownloadWaitDlg>();
    dialog->CreateDlg(m_mainWindow, std::move(cancel));
    dialog->ShowWaiting();
    return Replace(m_downloadWaitDlg, std::move(dialog));
}

void WaitDialogs::CloseDownloadWaitDlg() {
    Close(m_downloadWaitDlg);
}

void WaitDialogs::SetDownloadProgress(int percent) {
    std::lock_guard lock(m_mutex);
    if (m_downloadWaitDlg != nullptr) {
        m_downloadWaitDlg->SetProgress(percent);
    }
}

DownloadWaitDlg* WaitDialogs::CurrentDownloadWaitDlg() const {
    std::lock_guard lock(m_mutex);
    return m_downloadWaitDlg.get();
}

void WaitDialogs::CloseWaitDlg() {
    Close(m_waitDlg);
}

void WaitDialogs::CloseLEDWaitDlg() {
    Close(m_ledWaitDlg);
}

void WaitDialogs::CloseLEDWaitDlg2() {
    Close(m_ledWaitDlg2);
}

void WaitDialogs::SetUploadProgress(int percent) {
    std::lock_guard lock(m_mutex);
    if (m_ledWaitDlg2 != nullptr) {
        m_ledWaitDlg2->SetProgress(percent);
    }
}

WaitDlg* WaitDialogs::CurrentWaitDlg() const {
    std::lock_guard lock(m_mutex);
    return m_waitDlg.get();
}

LEDWaitDlg* WaitDialogs::CurrentLEDWaitDlg() const {
    std::lock_guard lock(m_mutex);
    return m_ledWaitDlg.get();
}

LEDWaitDlg2* WaitDialogs::CurrentLEDWaitDlg2() const {
    std::lock_guard lock(m_mutex);
    return m_ledWaitDlg2.get();
}

}  // namespace zephyl
