// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/MEdit.h"

#include "glint/DigitsValidator.h"
#include "glint/Look.h"
#include "glint/SkinImage.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

namespace zephyl::glint {
namespace {

constexpr int kFocusState = 2;
constexpr int kLimitless = 32767;

}  // namespace

MEdit::MEdit(MDialog* owner, int id, QWidget* parent) : MControlFont(owner, id, parent) {
    m_line = new QLineEdit(this);
    m_line->setFrame(false);
    m_line->setAttribute(Qt::WA_MacShowFocusRect, false);
    m_line->setStyleSheet(
        QStringLiteral("QLineEdit { background: transparent; border: none; "
                       "selection-background-color: #FF7A1A; }"));
    m_line->installEventFilter(this);
    QObject::connect(m_line, &QLineEdit::textEdited, this, [this](const QString& text) {
        {
            std::lock_guard lock(m_mutex);
            m_text = text;
        }
        Notify(kEventTextChanged);
    });
    QObject::connect(m_line, &QLineEdit::returnPressed, this, [this] { m_line->clearFocus(); });
}

void MEdit::SetEditText(const QString& text) {
    {
        std::lock_guard lock(m_mutex);
        m_text = text;
    }
    Changed();
}

QString MEdit::GetEditText() const {
    std::lock_guard lock(m_mutex);
    return m_text;
}

void MEdit::SetTipInfo(const QString& text) {
    {
        std::lock_guard lock(m_mutex);
        m_tip = text;
    }
    Changed();
}

QString MEdit::GetTipInfo() const {
    std::lock_guard lock(m_mutex);
    return m_tip;
}

void MEdit::SetNumberOnly(bool numberOnly) {
    {
        std::lock_guard lock(m_mutex);
        m_numberOnly = numberOnly;
    }
    Changed();
}

void MEdit::SetLimitText(int characters) {
    {
        std::lock_guard lock(m_mutex);
        m_limit = characters;
    }
    Changed();
}

void MEdit::SetReadOnly(bool readOnly) {
    {
        std::lock_guard lock(m_mutex);
        m_readOnly = readOnly;
    }
    Changed();
}

void MEdit::SyncExtra() {
    QString text;
    QString tip;
    bool numberOnly = false;
    int limit = 0;
    bool readOnly = false;
    {
        std::lock_guard lock(m_mutex);
        text = m_text;
        tip = m_tip;
        numberOnly = m_numberOnly;
        limit = m_limit;
        readOnly = m_readOnly;
    }
    const bool hasValidator = m_line->validator() != nullptr;
    if (numberOnly != hasValidator) {
        delete m_line->validator();
        m_line->setValidator(numberOnly ? new DigitsValidator(0, m_line) : nullptr);
    }
    m_line->setMaxLength(limit > 0 ? limit : kLimitless);
    m_line->setReadOnly(readOnly);
    m_line->setPlaceholderText(tip);
    if (m_line->text() != text) {
        m_line->setText(text);
    }
    const Caption caption = GetCaption();
    m_line->setFont(CaptionFont(caption));
    QPalette palette = m_line->palette();
    palette.setColor(QPalette::Active, QPalette::Text, FromArgb(caption.colour));
    palette.setColor(QPalette::Inactive, QPalette::Text, FromArgb(caption.colour));
    palette.setColor(QPalette::Disabled, QPalette::Text, look::kTextDisabled);
    palette.setColor(QPalette::PlaceholderText, look::kTextDisabled);
    m_line->setPalette(palette);
    m_line->setAlignment(CaptionFlags(caption));
    m_line->setGeometry(rect().adjusted(6, 1, -6, -1));
}

void MEdit::resizeEvent(QResizeEvent* event) {
    MControlFont::resizeEvent(event);
    m_line->setGeometry(rect().adjusted(6, 1, -6, -1));
}

void MEdit::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int state = !isEnabled() ? int(look::kDisabled) : (m_focused ? kFocusState : 0);
    const QPixmap frame = SkinImage::Load(GetImage());
    if (!frame.isNull()) {
        SkinImage::DrawStateNineSlice(painter, rect(), frame, GetImageStates(), state,
                                      QMargins(6, 6, 6, 6));
    } else {
        look::DrawFieldFrame(painter, rect(), state == kFocusState ? 0 : state, m_focused);
    }
}

bool MEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_line) {
        if (event->type() == QEvent::FocusIn) {
            m_focused = true;
            update();
            Notify(kEventEditStarted);
        } else if (event->type() == QEvent::FocusOut) {
            m_focused = false;
            update();
            Notify(kEventEditFinished);
        }
    }
    return MControlFont::eventFilter(watched, event);
}

}  // namespace zephyl::glint
