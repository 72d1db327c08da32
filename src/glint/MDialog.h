// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MWindow.h"

#include <string_view>

class QTimer;

namespace zephyl::glint {

class MControl;

/// Base of every window: builds its controls by class name, receives their events, ends with
/// DoOK (1) or DoCancel (2).
class MDialog : public MWindow {
public:
    MDialog();
    ~MDialog() override;

    /// Creates a control of class `className` ("MListBox", ...) with `id` at `rect` inside
    /// `container` (a container control, or the window when null; the rectangle is relative to
    /// it). `caption` becomes the title of controls that have one; `visible` and `enabled` are
    /// the control's first state. Returns null only for an unknown class name.
    MControl* CreateControl(std::string_view className, int id, const QRect& rect = {},
                            const QString& caption = {}, int visible = 1, int enabled = 1,
                            MControl* container = nullptr);
    /// As CreateControl, for decorations: the control lets the mouse through to what lies below
    /// (its own children still take it), so the window drags by its panels and pictures.
    MControl* CreateArea(std::string_view className, int id, const QRect& rect = {},
                         const QString& caption = {}, int visible = 1, int enabled = 1,
                         MControl* container = nullptr);

    /// Typed creation: T's class name, checked at compile time.
    template <class T>
    T* CreateControlAs(int id, const QRect& rect = {}, const QString& caption = {},
                       MControl* container = nullptr) {
        return static_cast<T*>(CreateControl(T::kClassName, id, rect, caption, 1, 1, container));
    }
    template <class T>
    T* CreateAreaAs(int id, const QRect& rect = {}, const QString& caption = {},
                    MControl* container = nullptr) {
        return static_cast<T*>(CreateArea(T::kClassName, id, rect, caption, 1, 1, container));
    }

    /// The first control created with `id`; null when there is none. Any thread.
    MControl* GetControl(int id) const;
    template <class T>
    T* GetControlAs(int id) const {
        return dynamic_cast<T*>(GetControl(id));
    }
    /// Every control of the window in creation order. Any thread.
    std::vector<MControl*> GetControls() const;

    /// End the window with 1 or 2; any thread.
    void DoOK() { EndModal(kResultOk); }
    void DoCancel() { EndModal(kResultCancel); }

    /// Gives the controls that asked for it (AddMTimer) an animation tick every `period` ms
    /// while they are visible; 0 stops it. The timer runs only while the window is shown and
    /// one of those controls is visible. Any thread.
    void SetMTimer(int period);
    /// Window thread: whether the animation timer is running now.
    bool AnimationTimerActive() const;

    /// Background picture; mode 0 stretches it, mode 1 keeps `value` pixels of its borders.
    void SetBackgroundImage(const QString& file, int mode = 0, int value = 0);
    /// Background colour 0xRRGGBB, used where no picture is set.
    void SetBackgroundColor(std::uint32_t rgb);
    /// A layered window: rounded corners over a see-through window background.
    void SetLayered(bool layered);

protected:
    /// Window thread, once inside Create: build the controls; `rect` is the client rectangle.
    virtual void InitUI(const QRect&) {}
    /// Window thread: place the controls for the client rectangle `rect`.
    virtual void UISize(const QRect&) {}
    /// Window thread: an event of control `id`. Returns 1 when handled, 0 otherwise.
    virtual int OnMessage(int, int, int) { return 0; }
    /// Window thread, after InitUI and UISize.
    virtual bool OnInitDialog() { return true; }

    void OnCreated(const QRect& rect) override;
    void OnSized(const QRect& rect) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class MControl;
    void RegisterControl(MControl* control);
    void UnregisterControl(MControl* control);
    void DispatchControlMessage(MControl* control, int code, int value);
    MControl* Build(std::string_view className, int id, const QRect& rect, const QString& caption,
                    int visible, int enabled, MControl* container, bool passive);
    void OnAnimationTick();
    void AddAnimated(MControl* control);
    /// Window thread: starts or stops the timer for the window's and the controls' visibility.
    void UpdateAnimationTimer();
    bool AnyAnimatedVisible() const;

    mutable std::mutex m_controlsMutex;
    std::vector<MControl*> m_controls;
    std::vector<MControl*> m_animated;  ///< the controls that asked for ticks; m_controlsMutex

    mutable std::mutex m_backgroundMutex;
    QString m_backgroundImage;
    int m_backgroundMode = 0;
    int m_backgroundValue = 0;
    std::uint32_t m_backgroundColour;
    bool m_layered = false;

    // Window thread only.
    QTimer* m_animationTimer = nullptr;
    int m_animationPeriod = 0;
    bool m_animationUpdatePending = false;
    bool m_windowShown = false;  ///< between a show and a hide event, spontaneous ones too
    bool m_built = false;
    QSize m_laidOut;
};

}  // namespace zephyl::glint
