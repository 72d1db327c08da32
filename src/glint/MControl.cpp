// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/MControl.h"

#include "glint/Look.h"
#include "glint/MDialog.h"

namespace zephyl::glint {

MControl::MControl(MDialog* owner, int id, QWidget* parent)
    : QWidget(parent), m_id(id), m_owner(owner) {
    setFont(look::DefaultFont());
    setGeometry(QRect());
    if (m_owner != nullptr) {
        m_owner->RegisterControl(this);
    }
}

MControl::~MControl() {
    if (m_owner != nullptr) {
        m_owner->UnregisterControl(this);
    }
}

void MControl::SetRect(const QRect& rect) {
    {
        std::lock_guard lock(m_mutex);
        m_rect = rect;
    }
    Changed();
}

QRect MControl::GetRect() const {
    std::lock_guard lock(m_mutex);
    return m_rect;
}

void MControl::SetVisible(bool visible) {
    {
        std::lock_guard lock(m_mutex);
        m_visible = visible;
    }
    Changed();
}

bool MControl::IsVisible() const {
    std::lock_guard lock(m_mutex);
    return m_visible;
}

void MControl::SetEnabled(bool enabled) {
    {
        std::lock_guard lock(m_mutex);
        m_enabled = enabled;
    }
    Changed();
}

bool MControl::IsEnabled() const {
    std::lock_guard lock(m_mutex);
    return m_enabled;
}

void MControl::SetTooltip(const QString& text) {
    {
        std::lock_guard lock(m_mutex);
        m_tooltip = text;
    }
    Changed();
}

QString MControl::GetTooltip() const {
    std::lock_guard lock(m_mutex);
    return m_tooltip;
}

void MControl::AddMTimer() {
    if (m_mtimer.exchange(true)) {
        return;
    }
    if (m_owner != nullptr) {
        m_owner->AddAnimated(this);
    }
}

bool MControl::HasMTimer() const {
    return m_mtimer.load();
}

void MControl::UpdateControl(int, int) {
    Changed();
}

void MControl::SetImage(const QString& file, int states) {
    {
        std::lock_guard lock(m_mutex);
        m_image = file;
        m_imageStates = states < 1 ? 1 : states;
    }
    Changed();
}

QString MControl::GetImage() const {
    std::lock_guard lock(m_mutex);
    return m_image;
}

int MControl::GetImageStates() const {
    std::lock_guard lock(m_mutex);
    return m_imageStates;
}

void MControl::SetTextColor(std::uint32_t argb) {
    {
        std::lock_guard lock(m_mutex);
        m_textColor = argb;
    }
    Changed();
}

std::uint32_t MControl::GetTextColor() const {
    std::lock_guard lock(m_mutex);
    return m_textColor;
}

void MControl::SetPassive(bool passive) {
    setAttribute(Qt::WA_TransparentForMouseEvents, passive);
}

void MControl::Notify(int code, int value) {
    if (m_owner != nullptr) {
        m_owner->DispatchControlMessage(this, code, value);
    }
}

int MControl::WidgetState(bool pressed, bool hovered) const {
    if (!isEnabled()) {
        return look::kDisabled;
    }
    if (pressed) {
        return look::kPressed;
    }
    return hovered ? look::kHover : look::kNormal;
}

void MControl::SyncToView() {
    QRect rect;
    bool visible = false;
    bool enabled = false;
    QString tooltip;
    {
        std::lock_guard lock(m_mutex);
        rect = m_rect;
        visible = m_visible;
        enabled = m_enabled;
        tooltip = m_tooltip;
    }
    if (geometry() != rect) {
        setGeometry(rect);
    }
    setEnabled(enabled);
    // Only a tooltip the model changed is applied: controls show a cut text whole in the
    // tooltip while the mouse is over it, and a repaint must not take that away.
    if (tooltip != m_syncedTooltip) {
        m_syncedTooltip = tooltip;
        setToolTip(tooltip);
    }
    if (isHidden() == visible) {
        setVisible(visible);
    }
    SyncExtra();
    update();
}

}  // namespace zephyl::glint
