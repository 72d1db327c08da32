// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControl.h"

#include <vector>

namespace zephyl::glint {

/// The keyboards the program knows, side by side as cards with their picture (connected or
/// not) and name. Clicking a card selects it and reports event 2 with its index.
class CDeviceList : public MControl {
public:
    static constexpr const char* kClassName = "CDeviceList";
    CDeviceList(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    /// Appends a model; returns its index.
    int AddDevice(const QString& name, int deviceType, const QString& disconnectedPicture,
                  const QString& connectedPicture);
    void ClearList();
    int GetDeviceCount() const;

    /// The selected model's id; 0 when nothing is selected.
    int GetSelectDevice() const;
    /// The selected card's index; -1 when nothing is selected.
    int GetSelectIndex() const;
    /// Selects the model with this id. An id the list does not hold keeps the current
    /// selection, or selects the first model when nothing was selected, so the list always
    /// answers with a model it shows.
    void SetSelectDevice(int deviceType);
    /// 1 connected, 0 not, for every card of this model.
    void SetDeviceState(int deviceType, int state);
    void SetAllDeviceState(int state);
    int GetDeviceState(int deviceType) const;

    /// The card under `point`, -1 for none; window thread.
    int IndexAt(const QPoint& point) const;
    QRect CardRect(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct Device {
        QString name;
        int type = 0;
        QString disconnectedPicture;
        QString connectedPicture;
        int state = 0;
    };

    std::vector<Device> m_devices;
    int m_selected = -1;

    int m_hovered = -1;  // window thread
    int m_pressed = -1;  // window thread
};

}  // namespace zephyl::glint
