// SPDX-License-Identifier: GPL-2.0-or-later
#include "ShownTexts.h"

#include "glint/Glint.h"
#include "glint/LCDViewCtrl.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QTextItem>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace zephyl::window::test {
namespace {

/// A paint engine that keeps the texts drawn with it and nothing else.
class TextEngine : public QPaintEngine {
public:
    TextEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {
    }
    void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPolygon(const QPoint*, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF&, const QTextItem& item) override {
        // A line mixing scripts comes in several items: each as drawn.
        const QString text = item.text();
        if (!text.trimmed().isEmpty()) {
            texts << text;
        }
    }
    Type type() const override { return QPaintEngine::User; }

    QStringList texts;
};

class TextDevice : public QPaintDevice {
public:
    explicit TextDevice(const QSize& size) : m_size(size) {}
    QPaintEngine* paintEngine() const override { return &m_engine; }
    QStringList Texts() const { return m_engine.texts; }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
            case PdmWidth:
                return m_size.width();
            case PdmHeight:
                return m_size.height();
            case PdmWidthMM:
                return m_size.width() * 254 / 960;
            case PdmHeightMM:
                return m_size.height() * 254 / 960;
            case PdmNumColors:
                return 0x7FFFFFFF;
            case PdmDepth:
                return 32;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 96;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return int(QPaintDevice::devicePixelRatioFScale());
            default:
                return 0;
        }
    }

private:
    QSize m_size;
    mutable TextEngine m_engine;
};

}  // namespace

QStringList PaintedTexts(QWidget* widget) {
    TextDevice device(widget->size());
    widget->render(&device);
    return device.Texts();
}

QStringList HeldTexts(glint::MDialog& window) {
    QStringList texts;
    // The controls have no meta-object of their own: a widget is one when it casts.
    std::vector<glint::MControl*> controls;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (auto* control = dynamic_cast<glint::MControl*>(widget)) {
            controls.push_back(control);
        }
    }
    std::stable_sort(controls.begin(), controls.end(), [](glint::MControl* a, glint::MControl* b) {
        return a->GetID() < b->GetID();
    });
    const auto add = [&texts](int id, const char* kind, const QString& text) {
        if (!text.isEmpty()) {
            texts << QStringLiteral("%1 %2: %3").arg(id).arg(QLatin1String(kind), text);
        }
    };
    for (glint::MControl* control : controls) {
        const int id = control->GetID();
        add(id, "tooltip", control->GetTooltip());
        if (auto* font = dynamic_cast<glint::MControlFont*>(control)) {
            add(id, "title", font->GetTitle());
        }
        if (auto* edit = dynamic_cast<glint::MEdit*>(control)) {
            add(id, "hint", edit->GetTipInfo());
        }
        if (auto* combo = dynamic_cast<glint::MComboBox*>(control)) {
            for (int i = 0; i < combo->GetItemCount(); ++i) {
                add(id, "item", combo->GetItemText(i));
            }
        }
        if (auto* list = dynamic_cast<glint::MListBox*>(control)) {
            for (int i = 0; i < list->GetItemCount(); ++i) {
                add(id, "item", list->GetItemText(i));
            }
        }
        if (auto* tabs = dynamic_cast<glint::MTabCtrl*>(control)) {
            for (int i = 0; i < tabs->GetItemCount(); ++i) {
                add(id, "tab", tabs->GetItemInfo(i).text);
            }
        }
        if (auto* screens = dynamic_cast<glint::LCDViewCtrl*>(control)) {
            for (int i = 0; i < screens->GetItemCount(); ++i) {
                add(id, "slot", screens->GetItem(i).label);
            }
        }
    }
    return texts;
}

}  // namespace zephyl::window::test
