// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "catalogue/KeyboardLayout.h"
#include "glint/KeyboardCtrl.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace zephyl::glint {

/// One key's look in the animation: colour 0x00BBGGRR, level 0..255, lit or dark.
struct LightKeyRecord {
    int code = 0;
    std::uint32_t colour = 0;
    int level = 0;
    bool lit = false;
    bool operator==(const LightKeyRecord&) const = default;
};
using KEYITEM_INFO = LightKeyRecord;

/// The animated keyboard picture of custom lighting: the keyboard picture in colour mode (a
/// click toggles a key's check, a drag checks the keys it covers) that shows the looks of the
/// keys it is given, a lit key in its colour at its level and a dark key unlit. The animation
/// itself belongs to whoever feeds the records; while the animation is stopped
/// (SetAnimateRun(0)) new records are kept but the picture stays as it was.
class CustomLightMode : public KeyboardCtrl {
public:
    static constexpr const char* kClassName = "CustomLightMode";
    CustomLightMode(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    /// The looks of the keys; keys the picture lacks are ignored. One repaint.
    void SetKeyRecords(std::span<const LightKeyRecord> records);
    std::vector<LightKeyRecord> GetKeyRecords() const;
    /// The colour a record is drawn in: its colour scaled by its level, black when unlit.
    static std::uint32_t ShownColour(const LightKeyRecord& record);

    void SetAnimateRun(int run);
    int GetAnimateRun() const;

    /// Which key sits at each place of the keyboard's matrix (code at row + 8 × column).
    void SetKeyMap(const std::array<std::uint8_t, kMatrixSize>& workMap, int rows, int columns);
    std::array<std::uint8_t, kMatrixSize> GetKeyMap() const;

private:
    std::vector<LightKeyRecord> m_records;
    bool m_running = false;
    std::array<std::uint8_t, kMatrixSize> m_workMap{};
    int m_rows = 0;
    int m_columns = 0;
};

}  // namespace zephyl::glint
