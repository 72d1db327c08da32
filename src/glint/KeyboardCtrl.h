// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControl.h"

#include <optional>
#include <utility>
#include <vector>

namespace zephyl {
struct LayoutKey;
}

namespace zephyl::glint {

/// One key of the keyboard picture as the picture holds it.
struct KeyInfo {
    int code = 0;
    QString name;
    QString description;
    QRect rect;  ///< in picture coordinates
    bool checked = false;
    std::uint32_t colour = 0;  ///< 0x00BBGGRR
    QString tipTitle;
    QString tipDetail;
    bool disabled = false;  ///< not assignable on the layer shown
};
using KEY_INFO = KeyInfo;

/// What the keyboard picture is for.
inline constexpr int kKeyboardModeAssign = 0x65;  ///< key assignment: click picks the key
inline constexpr int kKeyboardModeColour = 0x66;  ///< colours: click or drag selects keys
inline constexpr int kKeyboardModeMusic = 0x67;   ///< colours shown, no interaction

/// The keyboard picture: every key drawn as a keycap with its name at its rectangle, over the
/// model's plate picture (or a plate of the background colour), scaled to fit the control.
///
/// Assignment mode: a click on a key makes it the current key and reports event 2 with its
/// code; the right button does the same with event 5; a double click reports event 12; a
/// click beside every key clears the current key and reports event 13. Checked keys (the ones
/// with an assignment) are marked, and a key's tip shows while the mouse rests on it.
/// Colour mode: keys show their colours; a click toggles a key's check and reports event 2, a
/// drag from beside the keys checks every key it covers. Music mode only shows colours.
class KeyboardCtrl : public MControl {
public:
    static constexpr const char* kClassName = "KeyboardCtrl";
    KeyboardCtrl(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    void SetKeyboardCtrlMode(int mode);
    int GetKeyboardCtrlMode() const;
    /// The plate picture (a path or skin file name); keys are drawn over it.
    void SetKeyboardImage(const QString& file);
    /// Size of the picture the key rectangles refer to; 0 x 0 takes the keys' extent.
    void SetWidthAndHeight(int width, int height);
    QSize GetWidthAndHeight() const;
    /// Plate colour 0x00BBGGRR, used when the plate picture is missing.
    void SetKeyboardColor(std::uint32_t bgr);

    void AddKeyItem(const QString& name, const QString& description, int code, const QRect& rect);
    void AddKeyItem(const LayoutKey& key);
    void ClearItem();
    int GetKeyCount() const;
    /// Copies of the key records in the picture's order.
    std::vector<KeyInfo> GetKeyItems() const;
    std::optional<KeyInfo> GetKeyItem(int code) const;

    /// Checks (1) or unchecks (0) every key.
    void ResetAllItemCheck(int check);
    void SetKeyCheck(int code, int check);
    int GetKeyCheck(int code) const;
    std::vector<int> GetCheckedKeys() const;

    void SetTipKey(int code, const QString& title, const QString& detail);
    void ResetTipKey();
    /// Marks a key as not assignable on the layer shown (drawn dimmed).
    void SetKeyDisable(int code, bool disabled);
    void ResetAllKeyDisable();

    /// Mode 0 gives every key `bgr` ((0, 0) darkens all); mode 1 spreads the hues across the
    /// keyboard from left to right.
    void SetLightModeColor(int mode, std::uint32_t bgr);
    void SetKeyColor(int code, std::uint32_t bgr);
    /// Many keys at once, with a single repaint.
    void SetKeyColors(const std::vector<std::pair<int, std::uint32_t>>& colours);
    /// Gives every checked key `bgr`.
    void SetAllSelectColor(std::uint32_t bgr);

    /// The current key's code; 0 when there is none.
    int GetCurKey() const;
    void SetCurKey(int code);

    /// Window thread: the key under `point` of the control (0 for none) and a key's rectangle
    /// in the control.
    int KeyAt(const QPoint& point) const;
    QRect KeyRectInControl(int code) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    /// Picture to control: scale, then offset.
    struct Placement {
        qreal scale = 1;
        QPointF offset;
        QSizeF picture;
    };
    Placement Place() const;
    void DrawKey(QPainter& painter, const KeyInfo& key, const QRectF& area, int mode, int current,
                 bool hovered) const;

    std::vector<KeyInfo> m_keys;
    int m_mode = kKeyboardModeAssign;
    QString m_plate;
    QSize m_pictureSize;
    std::uint32_t m_plateColour = 0x1E1E1E;
    int m_current = 0;

    // Window thread only.
    int m_hovered = 0;
    bool m_banding = false;
    QPoint m_bandStart;
    QRect m_band;
};

}  // namespace zephyl::glint
