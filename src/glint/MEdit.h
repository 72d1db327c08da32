// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControlFont.h"

class QLineEdit;

namespace zephyl::glint {

/// A one-line text field over a four-state frame image. Reports event 30 when it gets the
/// focus, 29 when it loses it (Return also ends the editing), and 26 when the user changes the
/// text; text set by the program reports nothing.
class MEdit : public MControlFont {
public:
    static constexpr const char* kClassName = "MEdit";
    MEdit(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    void SetEditText(const QString& text);
    QString GetEditText() const;
    /// The field's own line editor (focus, input method); window thread.
    QLineEdit* GetEditHwnd() const { return m_line; }
    /// Grey hint shown while the field is empty.
    void SetTipInfo(const QString& text);
    QString GetTipInfo() const;
    /// Only the digits 0..9 can be typed.
    void SetNumberOnly(bool numberOnly);
    /// At most `characters` characters; 0 for no limit.
    void SetLimitText(int characters);
    void SetReadOnly(bool readOnly);

protected:
    void SyncExtra() override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString m_text;
    QString m_tip;
    bool m_numberOnly = false;
    int m_limit = 0;
    bool m_readOnly = false;

    // Window thread only.
    QLineEdit* m_line = nullptr;
    bool m_focused = false;
};

}  // namespace zephyl::glint
