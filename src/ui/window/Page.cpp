// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/Page.h"

#include "app/KeyboardController.h"
#include "keys/PageOutcome.h"
#include "platform/Log.h"
#include "text/DefaultNames.h"
#include "text/LanguageText.h"
#include "ui/window/WindowServices.h"

namespace zephyl::window {

QString Text(int id) {
    return QString::fromStdString(LanguageText(id));
}

void Place(glint::MControl* control, const QRect& rect) {
    if (control) {
        control->SetRect(rect);
    }
}

Page::Page(const PageContext& context, int containerId)
    : m_context(context), m_containerId(containerId) {}

Page::~Page() = default;

void Page::Build(glint::MControl* container) {
    m_container = container;
    BuildControls();
}

bool Page::AcceptsEvent(int, int code) const {
    return code == glint::kEventClick;
}

int Page::OnEvent(int, int, int) {
    return 0;
}

void Page::ApplyLanguageTexts() {
    for (const auto& setter : m_texts) {
        setter();
    }
}

glint::MControl* Page::MakeNamed(std::string_view className, int id, const QString& caption,
                                 bool passive) {
    m_ids.insert(id);
    glint::MDialog& window = Window();
    glint::MControl* control =
        passive ? window.CreateArea(className, id, {}, caption, 1, 1, m_container)
                : window.CreateControl(className, id, {}, caption, 1, 1, m_container);
    if (control) {
        control->SetTextColor(kTextColour);
    }
    return control;
}

glint::MControl* Page::MakeLater(std::string_view className, int id) {
    glint::MControl* control = MakeNamed(className, id, {}, false);
    if (!control) {
        Log(kLogInfo, "control %d: %.*s comes with a later feature", id, int(className.size()),
            className.data());
    }
    return control;
}

glint::CArea* Page::MakePanel(int id) {
    auto* panel = MakeArea<glint::CArea>(id);
    panel->SetTransparent(0, 0, kPanelColour);
    return panel;
}

glint::MText* Page::MakeText(int id, int textId) {
    auto* text = MakeArea<glint::MText>(id);
    CaptionText(text, textId);
    return text;
}

glint::CImageButton* Page::MakeToolButton(int id, const char* image, int tooltipText) {
    auto* button = Make<glint::CImageButton>(id);
    button->SetImage(QString::fromLatin1(image), 4);
    TooltipText(button, tooltipText);
    return button;
}

glint::MSlider* Page::MakeColourSlider(int id, int position) {
    auto* slider = Make<glint::MSlider>(id);
    slider->SetImage(QStringLiteral("img_slider_back.png"), 2);
    slider->SetThumbImage(QStringLiteral("img_thumb.png"));
    slider->SetMaxProgress(255);
    slider->SetProgress(position);
    return slider;
}

glint::MEdit* Page::MakeNumberField(int id) {
    auto* field = Make<glint::MEdit>(id);
    field->SetImage(QStringLiteral("img_edit.png"), 4);
    field->SetNumberOnly(true);
    field->SetLimitText(3);
    field->SetAlignment(glint::kAlignCenter);
    return field;
}

glint::CCheckButton* Page::MakeCheck(int id, int textId) {
    auto* check = Make<glint::CCheckButton>(id);
    check->SetImage(QStringLiteral("btn_checkbox.png"), 8);
    if (textId > 0) {
        CaptionText(check, textId);
    }
    return check;
}

glint::MListBox* Page::MakeList(int id) {
    auto* list = Make<glint::MListBox>(id);
    list->SetImage(QStringLiteral("icon\\icon_circle.png"), 2);
    list->SetEditImage(QStringLiteral("img_edit.png"));
    return list;
}

glint::MComboBox* Page::MakeCombo(int id) {
    auto* combo = Make<glint::MComboBox>(id);
    combo->SetImage(QStringLiteral("img_combobox.png"), 4);
    return combo;
}

glint::MButton* Page::MakeButton(int id, int textId) {
    auto* button = Make<glint::MButton>(id);
    button->SetImage(QStringLiteral("btn_apply.png"), 4);
    button->SetAlignment(glint::kAlignCenter);
    CaptionText(button, textId);
    return button;
}

void Page::OnLanguage(std::function<void()> setter) {
    setter();
    m_texts.push_back(std::move(setter));
}

void Page::CaptionText(glint::MControlFont* control, int textId) {
    OnLanguage([control, textId] { control->SetTitle(Text(textId)); });
}

void Page::TooltipText(glint::MControl* control, int textId) {
    OnLanguage([control, textId] { control->SetTooltip(Text(textId)); });
}

void Page::LanguageItems(glint::MComboBox* combo, std::vector<std::pair<int, int>> textsAndValues) {
    combo->DelAllItems();
    for (const auto& [textId, value] : textsAndValues) {
        combo->AddItem(Text(textId), value);
    }
    m_texts.push_back([combo, items = std::move(textsAndValues)] {
        for (size_t i = 0; i < items.size(); ++i) {
            combo->SetItemText(int(i), Text(items[i].first));
        }
    });
}

void Page::LocalizeDefaultNames(glint::MListBox* list, DefaultNameList names) {
    // One read of the language file for the whole list.
    const std::string defaultText = LanguageText(DefaultNameTextId(names));
    for (int i = 0; i < list->GetItemCount(); ++i) {
        const std::string shown = list->GetItemText(i).toStdString();
        const std::string localized = ReplaceDefaultPrefix(shown, names, defaultText);
        if (localized != shown) {
            list->ModifyItemString(i, QString::fromStdString(localized));
        }
    }
}

void Page::ApplyOutcome(const PageOutcome& outcome) {
    if (outcome.messageText != 0) {
        QString message = Text(outcome.messageText);
        if (message.contains(QStringLiteral("%d"))) {
            message.replace(QStringLiteral("%d"), QString::number(outcome.messageCount));
        }
        Services().ShowMessageBox(Text(outcome.messageCaption), message, kMessageOk);
    }
    // The waiting dialog opens before the command is queued: the worker may finish the command
    // at once, and its close must find the dialog already there.
    if (outcome.showWaitDialog) {
        Services().OpenWaitDialog();
    }
    for (int command : outcome.commands) {
        Controller().PostCommand(command);
    }
}

int Page::NotInThisBuild(const char* action) {
    Services().NotInThisBuild(action);
    return 1;
}

}  // namespace zephyl::window
