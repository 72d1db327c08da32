// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/Types.h"
#include "glint/ViewSync.h"

#include <QWidget>

#include <atomic>
#include <cstdint>
#include <mutex>

namespace zephyl::glint {

class MDialog;

/// Base of every control. A control is a widget of the window thread whose state lives in a
/// small model under m_mutex: every public operation may be called from any thread; setters
/// change the model and ask the window thread to repaint, getters read the model. Events go to
/// the owning window's OnMessage(id, code, value) on the window thread.
class MControl : public QWidget, protected SyncTarget {
public:
    /// `parent` is the widget the control sits in: the window or a container control.
    MControl(MDialog* owner, int id, QWidget* parent);
    ~MControl() override;

    /// The class name the window creates it by.
    virtual const char* ClassName() const = 0;

    int GetID() const { return m_id; }
    MDialog* GetOwner() const { return m_owner; }

    /// Position inside the parent (the window or the container).
    void SetRect(const QRect& rect);
    QRect GetRect() const;
    void SetVisible(bool visible);
    bool IsVisible() const;
    void SetEnabled(bool enabled);
    bool IsEnabled() const;
    void SetTooltip(const QString& text);
    QString GetTooltip() const;

    /// Gives the control the window's animation ticks (MDialog::SetMTimer).
    void AddMTimer();
    bool HasMTimer() const;
    /// Repaints; the arguments are kept for the windows' calls and change nothing.
    void UpdateControl(int erase = 1, int now = 0);

    /// The control's image strip: a skin file name and the number of states it holds.
    virtual void SetImage(const QString& file, int states = 1);
    QString GetImage() const;
    int GetImageStates() const;
    /// Text colour, 0xAARRGGBB.
    virtual void SetTextColor(std::uint32_t argb);
    std::uint32_t GetTextColor() const;

    /// Passive controls (decorations made with CreateArea) let the mouse through to what lies
    /// below, so the window stays draggable by its background.
    void SetPassive(bool passive);

protected:
    /// Window thread: an animation tick of the window's MTimer.
    virtual void OnMTimer() {}
    /// Window thread: extra widget updates after the model changed; called under no lock.
    virtual void SyncExtra() {}

    /// Marks the model changed: repaints now on the window thread, else soon.
    void Changed() { RequestSync(); }
    /// Reports an event to the owning window; window thread only.
    void Notify(int code, int value = 0);

    /// Button-like state of the widget for drawing image strips.
    int WidgetState(bool pressed, bool hovered) const;

    void SyncToView() override;

    mutable std::mutex m_mutex;

private:
    friend class MDialog;

    const int m_id;
    MDialog* const m_owner;

    QRect m_rect;
    bool m_visible = true;
    bool m_enabled = true;
    std::atomic<bool> m_mtimer{false};
    QString m_tooltip;
    QString m_syncedTooltip;  ///< window thread: the model's tooltip last given to the widget
    QString m_image;
    int m_imageStates = 1;
    std::uint32_t m_textColor = 0xFFFFFFFF;
};

}  // namespace zephyl::glint
