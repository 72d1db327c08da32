// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/KeyboardCtrl.h"

#include "catalogue/KeyboardLayout.h"
#include "text/LanguageText.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

#include <algorithm>

namespace zephyl::glint {

KeyboardCtrl::KeyboardCtrl(MDialog* owner, int id, QWidget* parent) : MControl(owner, id, parent) {
    setMouseTracking(true);
}

void KeyboardCtrl::SetKeyboardCtrlMode(int mode) {
    {
        std::lock_guard lock(m_mutex);
        m_mode = mode;
    }
    Changed();
}

int KeyboardCtrl::GetKeyboardCtrlMode() const {
    std::lock_guard lock(m_mutex);
    return m_mode;
}

void KeyboardCtrl::SetKeyboardImage(const QString& file) {
    {
        std::lock_guard lock(m_mutex);
        m_plate = file;
    }
    Changed();
}

void KeyboardCtrl::SetWidthAndHeight(int width, int height) {
    {
        std::lock_guard lock(m_mutex);
        m_pictureSize = QSize(std::max(width, 0), std::max(height, 0));
    }
    Changed();
}

QSize KeyboardCtrl::GetWidthAndHeight() const {
    std::lock_guard lock(m_mutex);
    return m_pictureSize;
}

void KeyboardCtrl::SetKeyboardColor(std::uint32_t bgr) {
    {
        std::lock_guard lock(m_mutex);
        m_plateColour = bgr & 0xFFFFFF;
    }
    Changed();
}

void KeyboardCtrl::AddKeyItem(const QString& name, const QString& description, int code,
                              const QRect& rect) {
    {
        std::lock_guard lock(m_mutex);
        KeyInfo key;
        key.code = code;
        key.name = name;
        key.description = description;
        key.rect = rect;
        m_keys.push_back(std::move(key));
    }
    Changed();
}

void KeyboardCtrl::AddKeyItem(const LayoutKey& key) {
    AddKeyItem(QString::fromStdString(key.name), QString::fromStdString(key.description), key.code,
               RectLTRB(key.rect.left, key.rect.top, key.rect.right, key.rect.bottom));
}

void KeyboardCtrl::ClearItem() {
    {
        std::lock_guard lock(m_mutex);
        m_keys.clear();
        m_current = 0;
    }
    Changed();
}

int KeyboardCtrl::GetKeyCount() const {
    std::lock_guard lock(m_mutex);
    return int(m_keys.size());
}

std::vector<KeyInfo> KeyboardCtrl::GetKeyItems() const {
    std::lock_guard lock(m_mutex);
    return m_keys;
}

std::optional<KeyInfo> KeyboardCtrl::GetKeyItem(int code) const {
    std::lock_guard lock(m_mutex);
    for (const KeyInfo& key : m_keys) {
        if (key.code == code) {
            return key;
        }
    }
    return std::nullopt;
}

void KeyboardCtrl::ResetAllItemCheck(int check) {
    {
        std::lock_guard lock(m_mutex);
        for (KeyInfo& key : m_keys) {
            key.checked = check != 0;
        }
    }
    Changed();
}

void KeyboardCtrl::SetKeyCheck(int code, int check) {
    {
        std::lock_guard lock(m_mutex);
        for (KeyInfo& key : m_keys) {
            if (key.code == code) {
                key.checked = check != 0;
            }
        }
    }
    Changed();
}

int KeyboardCtrl::GetKeyCheck(int code) const {
    std::lock_guard lock(m_mutex);
    for (const KeyInfo& key : m_keys) {
        if (key.code == code) {
            return key.checked ? 1 : 0;
        }
    }
    return 0;
}

std::vector<int> KeyboardCtrl::GetCheckedKeys() const {
    std::lock_guard lock(m_mutex);
    std::vector<int> codes;
    for (const KeyInfo& key : m_keys) {
        if (key.checked) {
            codes.push_back(key.code);
        }
    }
    return codes;
}

void KeyboardCtrl::SetTipKey(int code, const QString& title, const QString& detail) {
    {
        std::lock_guard lock(m_mutex);
        for (KeyInfo& key : m_keys) {
            if (key.code == code) {
                key.tipTitle = title;
                key.tipDetail = detail;
            }
        }
    }
    Changed();
}

void KeyboardCtrl::ResetTipKey() {
    {
        std::lock_guard lock(m_mutex);
        for (KeyInfo& key : m_keys) {
            key.tipTitle.clear();
            key.tipDetail.clear();
        }
    }
    Changed();
}

void KeyboardCtrl::SetKeyDisable(int code, bool disabled) {
    {
        std::lock_guard lock(m_mutex);
        for (KeyInfo& key : m_keys) {
            if (key.code == code) {
                key.disabled = disabled;
            }
        }
    }
    Changed();
}

void KeyboardCtrl::ResetAllKeyDisable() {
    {
        std::lock_guard lock(m_mutex);
        for (KeyInfo& key : m_keys) {
            key.disabled = false;
        }
    }
    Changed();
}

void KeyboardCtrl::SetLightModeColor(int mode, std::uint32_t bgr) {
    {
        std::lock_guard lock(m_mutex);
        if (mode == 0) {
            for (KeyInfo& key : m_keys) {
                key.colour = bgr & 0xFFFFFF;
            }
        } else {
            int left = 0;
            int right = 1;
            if (!m_keys.empty()) {
                left = m_keys.front().rect.center().x();
                right = left;
                for (const KeyInfo& key : m_keys) {
                    left = std::min(left, key.rect.center().x());
                    right = std::max(right, key.rect.center().x());
                }
            }
            const qreal span = std::max(right - left, 1);
            for (KeyInfo& key : m_keys) {
                // Five sixths of the circle, so the right end does not return to red.
                const qreal hue = (key.rect.center().x() - left) / span * 5.0 / 6.0;
                key.colour = ToBgr(QColor::fromHsvF(hue, 1.0, 1.0));
            }
        }
    }
    Changed();
}

void KeyboardCtrl::SetKeyColor(int code, std::uint32_t bgr) {
    {
        std::lock_guard lock(m_mutex);
        for (KeyInfo& key : m_keys) {
            if (key.code == code) {
                key.colour = bgr & 0xFFFFFF;
            }
        }
    }
    Changed();
}

void KeyboardCtrl::SetKeyColors(const std::vector<std::pair<int, std::uint32_t>>& colours) {
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [code, bgr] : colours) {
            for (KeyInfo& key : m_keys) {
                if (key.code == code) {
                    key.colour = bgr & 0xFFFFFF;
                }
            }
        }
    }
    Changed();
}

void KeyboardCtrl::SetAllSelectColor(std::uint32_t bgr) {
    {
        std::lock_guard lock(m_mutex);
        for (KeyInfo& key : m_keys) {
            if (key.checked) {
                key.colour = bgr & 0xFFFFFF;
            }
        }
    }
    Changed();
}

int KeyboardCtrl::GetCurKey() const {
    std::lock_guard lock(m_mutex);
    return m_current;
}

void KeyboardCtrl::SetCurKey(int code) {
    {
        std::lock_guard lock(m_mutex);
        m_current = code;
    }
    Changed();
}

KeyboardCtrl::Placement KeyboardCtrl::Place() const {
    QSizeF picture;
    {
        std::lock_guard lock(m_mutex);
        picture = m_pictureSize;
        if (picture.isEmpty()) {
            QRect extent;
            for (const KeyInfo& key : m_keys) {
                extent |= key.rect;
            }
            // Without a picture size the keys' extent and an even margin make the plate.
            picture = QSizeF(extent.right() + 1 + std::max(extent.left(), 0),
                             extent.bottom() + 1 + std::max(extent.top(), 0));
        }
    }
    Placement place;
    place.picture = picture;
    if (picture.isEmpty() || width() <= 0 || height() <= 0) {
        return place;
    }
    place.scale = std::min(width() / picture.width(), height() / picture.height());
    place.offset = QPointF((width() - picture.width() * place.scale) / 2,
                           (height() - picture.height() * place.scale) / 2);
    return place;
}

int KeyboardCtrl::KeyAt(const QPoint& point) const {
    const Placement place = Place();
    const QPointF inPicture = (QPointF(point) - place.offset) / place.scale;
    std::lock_guard lock(m_mutex);
    for (const KeyInfo& key : m_keys) {
        if (QRectF(key.rect).contains(inPicture)) {
            return key.code;
        }
    }
    return 0;
}

QRect KeyboardCtrl::KeyRectInControl(int code) const {
    const Placement place = Place();
    const std::optional<KeyInfo> key = GetKeyItem(code);
    if (!key) {
        return {};
    }
    const QRectF area(place.offset + QPointF(key->rect.topLeft()) * place.scale,
                      QSizeF(key->rect.size()) * place.scale);
    return area.toAlignedRect();
}

void KeyboardCtrl::mousePressEvent(QMouseEvent* event) {
    const int mode = GetKeyboardCtrlMode();
    if (mode == kKeyboardModeMusic ||
        (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)) {
        MControl::mousePressEvent(event);
        return;
    }
    event->accept();
    const QPoint point = event->position().toPoint();
    const int code = KeyAt(point);
    if (event->button() == Qt::RightButton) {
        if (code != 0) {
            SetCurKey(code);
            Notify(kEventRightButton, code);
        }
        return;
    }
    if (mode == kKeyboardModeColour) {
        if (code != 0) {
            SetKeyCheck(code, GetKeyCheck(code) == 0 ? 1 : 0);
            SetCurKey(code);
            Notify(kEventClick, code);
        } else {
            m_banding = true;
            m_bandStart = point;
            m_band = QRect();
        }
        return;
    }
    SetCurKey(code);
    Notify(code != 0 ? kEventClick : kEventKeyCleared, code);
}

void KeyboardCtrl::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (m_banding) {
        m_band = QRect(m_bandStart, point).normalized();
        update();
        return;
    }
    const int code = KeyAt(point);
    if (code != m_hovered) {
        m_hovered = code;
        update();
    }
    MControl::mouseMoveEvent(event);
}

void KeyboardCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_banding || event->button() != Qt::LeftButton) {
        MControl::mouseReleaseEvent(event);
        return;
    }
    m_banding = false;
    const QRect band = m_band;
    m_band = QRect();
    event->accept();
    if (band.width() < 3 && band.height() < 3) {
        update();
        return;
    }
    std::vector<int> covered;
    for (const KeyInfo& key : GetKeyItems()) {
        if (band.intersects(KeyRectInControl(key.code))) {
            covered.push_back(key.code);
        }
    }
    for (int code : covered) {
        SetKeyCheck(code, 1);
    }
    update();
    if (!covered.empty()) {
        Notify(kEventClick, 0);
    }
}

void KeyboardCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (GetKeyboardCtrlMode() != kKeyboardModeAssign || event->button() != Qt::LeftButton) {
        // Other modes take the second click as another click.
        mousePressEvent(event);
        return;
    }
    const int code = KeyAt(event->position().toPoint());
    event->accept();
    if (code != 0) {
        SetCurKey(code);
        Notify(kEventKeyDoubleClick, code);
    }
}

void KeyboardCtrl::leaveEvent(QEvent*) {
    m_hovered = 0;
    update();
}

bool KeyboardCtrl::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return MControl::event(event);
    }
    auto* help = static_cast<QHelpEvent*>(event);
    const std::optional<KeyInfo> key = GetKeyItem(KeyAt(help->pos()));
    QString text;
    if (key) {
        if (!key->tipTitle.isEmpty() || !key->tipDetail.isEmpty()) {
            text = key->tipDetail.isEmpty() ? key->tipTitle
                                            : key->tipTitle + QLatin1Char('\n') + key->tipDetail;
        } else if (key->description != key->name) {
            // The layout describes its keys in English; the language file names them for the
            // user, in the language of the moment.
            const std::string local = LanguageText(kKeyDescriptionSection, key->code);
            text = local.empty() ? key->description : QString::fromStdString(local);
        }
    }
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), text, this, KeyRectInControl(key->code));
    }
    return true;
}

}  // namespace zephyl::glint
