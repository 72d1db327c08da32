// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MButton.h"

namespace zephyl::glint {

/// A button drawn as its text in a colour per state, over an optional image strip.
class CTextButton : public MButton {
public:
    static constexpr const char* kClassName = "CTextButton";
    CTextButton(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    /// Colours 0xAARRGGBB: background (0xFFFFFFFF, -1, for none), text, text under the mouse,
    /// text when disabled.
    void SetTextButtonColor(std::uint32_t background, std::uint32_t normal, std::uint32_t hover,
                            std::uint32_t disabled);

protected:
    void PaintButton(QPainter& painter, int state) override;

private:
    std::uint32_t m_background = 0xFFFFFFFF;
    std::uint32_t m_normal = 0xFFFFFFFF;
    std::uint32_t m_hover = 0xFFFF7A1A;
    std::uint32_t m_disabled = 0xFF6E6E72;
};

}  // namespace zephyl::glint
