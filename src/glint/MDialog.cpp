// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/MDialog.h"

#include "glint/ControlFactory.h"
#include "glint/Look.h"
#include "glint/MControl.h"
#include "glint/MControlFont.h"
#include "glint/SkinImage.h"

#include <QEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace zephyl::glint {

MDialog::MDialog() : m_backgroundColour(look::kPanel.rgb() & 0xFFFFFF) {
    m_animationTimer = new QTimer(this);
    QObject::connect(m_animationTimer, &QTimer::timeout, this, [this] { OnAnimationTick(); });
}

MDialog::~MDialog() {
    // Controls unregister themselves while they go, so delete them while the list still lives;
    // deleting a container takes its children with it.
    for (;;) {
        MControl* control = nullptr;
        {
            std::lock_guard lock(m_controlsMutex);
            if (m_controls.empty()) {
                break;
            }
            control = m_controls.back();
        }
        delete control;
    }
}

MControl* MDialog::CreateControl(std::string_view className, int id, const QRect& rect,
                                 const QString& caption, int visible, int enabled,
                                 MControl* container) {
    return Build(className, id, rect, caption, visible, enabled, container, false);
}

MControl* MDialog::CreateArea(std::string_view className, int id, const QRect& rect,
                              const QString& caption, int visible, int enabled,
                              MControl* container) {
    return Build(className, id, rect, caption, visible, enabled, container, true);
}

MControl* MDialog::Build(std::string_view className, int id, const QRect& rect,
                         const QString& caption, int visible, int enabled, MControl* container,
                         bool passive) {
    QWidget* parent = container != nullptr ? static_cast<QWidget*>(container) : this;
    MControl* control = ControlFactory::Create(className, this, id, parent);
    if (control == nullptr) {
        return nullptr;
    }
    if (passive) {
        control->SetPassive(true);
    }
    if (!caption.isEmpty()) {
        if (auto* font = dynamic_cast<MControlFont*>(control)) {
            font->SetTitle(caption);
        }
    }
    control->SetRect(rect);
    control->SetEnabled(enabled != 0);
    control->SetVisible(visible != 0);
    return control;
}

MControl* MDialog::GetControl(int id) const {
    std::lock_guard lock(m_controlsMutex);
    const auto found =
        std::find_if(m_controls.begin(), m_controls.end(),
                     [id](const MControl* control) { return control->GetID() == id; });
    return found == m_controls.end() ? nullptr : *found;
}

std::vector<MControl*> MDialog::GetControls() const {
    std::lock_guard lock(m_controlsMutex);
    return m_controls;
}

void MDialog::RegisterControl(MControl* control) {
    std::lock_guard lock(m_controlsMutex);
    m_controls.push_back(control);
}

void MDialog::UnregisterControl(MControl* control) {
    std::lock_guard lock(m_controlsMutex);
    m_controls.erase(std::remove(m_controls.begin(), m_controls.end(), control), m_controls.end());
    m_animated.erase(std::remove(m_animated.begin(), m_animated.end(), control), m_animated.end());
}

void MDialog::AddAnimated(MControl* control) {
    {
        std::lock_guard lock(m_controlsMutex);
        if (std::find(m_animated.begin(), m_animated.end(), control) != m_animated.end()) {
            return;
        }
        m_animated.push_back(control);
    }
    RunOnWindowThread([this, control] {
        {
            std::lock_guard lock(m_controlsMutex);
            if (std::find(m_animated.begin(), m_animated.end(), control) == m_animated.end()) {
                return;  // gone meanwhile
            }
        }
        // A control also appears and goes with its containers and the window: it tells.
        control->installEventFilter(this);
        UpdateAnimationTimer();
    });
}

bool MDialog::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::Show || event->type() == QEvent::Hide) &&
        !m_animationUpdatePending) {
        // Looked at once the change is complete: a whole page of controls may change at once.
        m_animationUpdatePending = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_animationUpdatePending = false;
                UpdateAnimationTimer();
            },
            Qt::QueuedConnection);
    }
    return MWindow::eventFilter(watched, event);
}

void MDialog::DispatchControlMessage(MControl* control, int code, int value) {
    OnMessage(control->GetID(), code, value);
}

void MDialog::SetMTimer(int period) {
    RunOnWindowThread([this, period] {
        m_animationPeriod = std::max(period, 0);
        UpdateAnimationTimer();
    });
}

bool MDialog::AnimationTimerActive() const {
    return m_animationTimer->isActive();
}

bool MDialog::AnyAnimatedVisible() const {
    std::lock_guard lock(m_controlsMutex);
    return std::any_of(m_animated.begin(), m_animated.end(),
                       [](const MControl* control) { return control->isVisible(); });
}

void MDialog::UpdateAnimationTimer() {
    // A hidden window, or one whose animated controls are all hidden, wakes nobody up.
    const bool wanted =
        m_animationPeriod > 0 && m_windowShown && isVisible() && AnyAnimatedVisible();
    if (!wanted) {
        m_animationTimer->stop();
    } else if (!m_animationTimer->isActive() || m_animationTimer->interval() != m_animationPeriod) {
        m_animationTimer->start(m_animationPeriod);
    }
}

void MDialog::OnAnimationTick() {
    // Only the controls that animate and are shown get a tick; a control may go away during
    // another's tick, so each is looked up again.
    std::vector<MControl*> animated;
    {
        std::lock_guard lock(m_controlsMutex);
        animated = m_animated;
    }
    bool anyVisible = false;
    for (MControl* control : animated) {
        {
            std::lock_guard lock(m_controlsMutex);
            if (std::find(m_animated.begin(), m_animated.end(), control) == m_animated.end()) {
                continue;
            }
        }
        if (control->isVisible()) {
            anyVisible = true;
            control->OnMTimer();
        }
    }
    if (!anyVisible) {
        UpdateAnimationTimer();
    }
}

void MDialog::showEvent(QShowEvent* event) {
    MWindow::showEvent(event);
    m_windowShown = true;
    UpdateAnimationTimer();
}

void MDialog::hideEvent(QHideEvent* event) {
    MWindow::hideEvent(event);
    // Also the spontaneous hide of a minimised window, which stays "visible" to Qt.
    m_windowShown = false;
    UpdateAnimationTimer();
}

void MDialog::SetBackgroundImage(const QString& file, int mode, int value) {
    {
        std::lock_guard lock(m_backgroundMutex);
        m_backgroundImage = file;
        m_backgroundMode = mode;
        m_backgroundValue = value;
    }
    RunOnWindowThread([this] { update(); });
}

void MDialog::SetBackgroundColor(std::uint32_t rgb) {
    {
        std::lock_guard lock(m_backgroundMutex);
        m_backgroundColour = rgb;
    }
    RunOnWindowThread([this] { update(); });
}

void MDialog::SetLayered(bool layered) {
    {
        std::lock_guard lock(m_backgroundMutex);
        m_layered = layered;
    }
    RunOnWindowThread([this, layered] {
        setAttribute(Qt::WA_TranslucentBackground, layered);
        update();
    });
}

void MDialog::OnCreated(const QRect& rect) {
    InitUI(rect);
    m_built = true;
    m_laidOut = rect.size();
    UISize(rect);
    OnInitDialog();
}

void MDialog::OnSized(const QRect& rect) {
    // The first showing reports the size the window was built for; that needs no new layout.
    if (m_built && rect.size() != m_laidOut) {
        m_laidOut = rect.size();
        UISize(rect);
    }
}

void MDialog::paintEvent(QPaintEvent*) {
    QString image;
    int mode = 0;
    int value = 0;
    QColor colour;
    bool layered = false;
    {
        std::lock_guard lock(m_backgroundMutex);
        image = m_backgroundImage;
        mode = m_backgroundMode;
        value = m_backgroundValue;
        colour = FromRgb(m_backgroundColour);
        layered = m_layered;
    }
    QPainter painter(this);
    const QPixmap picture = SkinImage::Load(image);
    if (!picture.isNull()) {
        if (mode == 1 && value > 0) {
            SkinImage::DrawNineSlice(painter, rect(), picture, picture.rect(),
                                     QMargins(value, value, value, value));
        } else {
            painter.drawPixmap(rect(), picture);
        }
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = layered ? 10 : 0;
    painter.setPen(QPen(look::kBorder, 1));
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

}  // namespace zephyl::glint
