// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControl.h"

namespace zephyl::glint {

/// A filled panel or line. Passive: the mouse goes through it.
class CArea : public MControl {
public:
    static constexpr const char* kClassName = "CArea";
    CArea(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    /// `transparency` 0 fills opaquely, 1..255 is the fill's opacity; `radius` rounds the
    /// corners; `rgb` is the fill colour 0xRRGGBB.
    void SetTransparent(int transparency, int radius, std::uint32_t rgb);
    std::uint32_t GetColor() const;
    int GetTransparency() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_transparency = 0;
    int m_radius = 0;
    std::uint32_t m_colour = 0x282828;
};

}  // namespace zephyl::glint
