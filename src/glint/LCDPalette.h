// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControl.h"

namespace zephyl::glint {

/// A horizontal colour bar: pressing and dragging moves the mark, releasing reports event 2
/// with the chosen colour (0x00BBGGRR).
class LCDPaletteBar : public MControl {
public:
    using MControl::MControl;

    /// Shows `bgr` as the chosen colour and moves the mark to where the bar has it.
    virtual void SetSelectColor(std::uint32_t bgr) = 0;
    std::uint32_t GetSelectColor() const;
    /// The mark's place, 0..1 from the left.
    qreal GetFraction() const;

protected:
    /// The bar's colour at `fraction`; any thread.
    virtual QColor ColourAt(qreal fraction) const = 0;
    /// Whether the bar shows its skin image (when present) instead of its computed colours.
    virtual bool DrawsImage() const { return true; }
    void Store(qreal fraction, std::uint32_t bgr);
    QRect BarRect() const;

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void PickAt(qreal x);

    qreal m_fraction = 0;
    std::uint32_t m_colour = 0;
    bool m_dragging = false;  // window thread
};

/// The hue bar: once round the hues at full strength.
class LCDPalette2 : public LCDPaletteBar {
public:
    static constexpr const char* kClassName = "LCDPalette2";
    LCDPalette2(MDialog* owner, int id, QWidget* parent) : LCDPaletteBar(owner, id, parent) {}
    const char* ClassName() const override { return kClassName; }

    void SetSelectColor(std::uint32_t bgr) override;

protected:
    QColor ColourAt(qreal fraction) const override;
};

/// The shade bar of one colour: black, the colour, white. It is drawn from its colour, not
/// from its image, since the colour changes.
class LCDPalette3 : public LCDPaletteBar {
public:
    static constexpr const char* kClassName = "LCDPalette3";
    LCDPalette3(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    /// Makes `bgr` the bar's colour and the chosen one (the mark in the middle).
    void SetSelectColor(std::uint32_t bgr) override;
    /// Changes the bar's colour and keeps the mark; the chosen colour follows.
    void SetBaseColor(std::uint32_t bgr);
    std::uint32_t GetBaseColor() const;

protected:
    QColor ColourAt(qreal fraction) const override;
    bool DrawsImage() const override { return false; }

private:
    std::uint32_t m_base = 0x0000FF;
};

}  // namespace zephyl::glint
