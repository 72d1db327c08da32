// SPDX-License-Identifier: GPL-2.0-or-later
// What the keys' host actions need from the desktop: starting programs, the clipboard and
// synthesised key presses. Everything here runs on the window thread.
//
//   class DesktopLauncher          the interface (tests give their own)
//     StartProgram(program, arguments, workingFolder) -> started
//     SetClipboardText(text), ClipboardText()
//     CanSendKeys(), SendKey(PasteKey, down)   key presses for the focused window
//     After(ms, step)                          runs step later on the window thread
//   class SystemLauncher : DesktopLauncher     QProcess, the system clipboard, XTest on X11
//                                              (where the build has it and the display offers
//                                              it; elsewhere CanSendKeys() is false)
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace zephyl {

enum class PasteKey { kControl, kV };

class DesktopLauncher {
public:
    virtual ~DesktopLauncher() = default;
    virtual bool StartProgram(const QString& program, const QStringList& arguments,
                              const QString& workingFolder) = 0;
    virtual void SetClipboardText(const QString& text) = 0;
    virtual QString ClipboardText() const = 0;
    virtual bool CanSendKeys() const = 0;
    virtual void SendKey(PasteKey key, bool down) = 0;
    virtual void After(int milliseconds, std::function<void()> step) = 0;
};

class XTestKeyboard;

class SystemLauncher : public DesktopLauncher {
public:
    /// Delayed steps belong to `context` and are dropped when it goes.
    explicit SystemLauncher(QObject* context);
    ~SystemLauncher() override;

    bool StartProgram(const QString& program, const QStringList& arguments,
                      const QString& workingFolder) override;
    void SetClipboardText(const QString& text) override;
    QString ClipboardText() const override;
    bool CanSendKeys() const override;
    void SendKey(PasteKey key, bool down) override;
    void After(int milliseconds, std::function<void()> step) override;

private:
    QPointer<QObject> m_context;
    std::unique_ptr<XTestKeyboard> m_keyboard;
};

}  // namespace zephyl
