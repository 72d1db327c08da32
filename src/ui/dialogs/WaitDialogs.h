// SPDX-License-Identifier: GPL-2.0-or-later
// At most one waiting window of each kind, shown by the window thread and ended by the worker.
//
//   WaitDialogs(mainWindow)
//   window thread:  ShowWaitDlg(), ShowLEDWaitDlg(), ShowLEDWaitDlg2()
//                   each first ends the previous window of its kind (deleted once the event
//                   loop is back, never during an event that may concern it), then shows
//                   a new one (no modal run: the call returns at once) and returns it.
//                   Show the window before posting the command it waits for, so the worker's
//                   close cannot come first.
//   any thread:     CloseWaitDlg(), CloseLEDWaitDlg(), CloseLEDWaitDlg2() end the open window
//                   of that kind with DoOK; nothing happens when none is open. Never waits for
//                   the window thread.
//                   SetUploadProgress(percent) on the open LEDWaitDlg2.
//   window thread:  ShowDownloadWaitDlg(cancel) as the others; any thread: CloseDownloadWaitDlg(),
//                   SetDownloadProgress(percent).
//   window thread:  CurrentWaitDlg() ... the window of that kind still held (shown or ended),
//                   null when none.
#pragma once

#include "ui/dialogs/WaitDlg.h"

#include <memory>
#include <mutex>

namespace zephyl {

class WaitDialogs {
public:
    explicit WaitDialogs(glint::MWindow* mainWindow);
    ~WaitDialogs();
    WaitDialogs(const WaitDialogs&) = delete;
    WaitDialogs& operator=(const WaitDialogs&) = delete;

    WaitDlg* ShowWaitDlg();
    LEDWaitDlg* ShowLEDWaitDlg();
    LEDWaitDlg2* ShowLEDWaitDlg2();
    DownloadWaitDlg* ShowDownloadWaitDlg(std::function<void()> cancel);

    void CloseWaitDlg();
    void CloseLEDWaitDlg();
    void CloseLEDWaitDlg2();
    void SetUploadProgress(int percent);
    void CloseDownloadWaitDlg();
    void SetDownloadProgress(int percent);

    WaitDlg* CurrentWaitDlg() const;
    LEDWaitDlg* CurrentLEDWaitDlg() const;
    LEDWaitDlg2* CurrentLEDWaitDlg2() const;
    DownloadWaitDlg* CurrentDownloadWaitDlg() const;

private:
    /// Puts `next` in `slot` and ends what was there, to be deleted by the event loop; the lock
    /// keeps a worker's DoOK from touching the window while it goes.
    template <class T>
    T* Replace(std::unique_ptr<T>& slot, std::unique_ptr<T> next);
    template <class T>
    void Close(const std::unique_ptr<T>& slot);

    glint::MWindow* m_mainWindow;
    mutable std::mutex m_mutex;
    std::unique_ptr<WaitDlg> m_waitDlg;
    std::unique_ptr<LEDWaitDlg> m_ledWaitDlg;
    std::unique_ptr<LEDWaitDlg2> m_ledWaitDlg2;
    std::unique_ptr<DownloadWaitDlg> m_downloadWaitDlg;
};

}  // namespace zephyl
