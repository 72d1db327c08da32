// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/Glint.h"
#include "keys/KeyNames.h"
#include "ui/window/ColourControls.h"

#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string_view>
#include <vector>

namespace zephyl {
class KeyboardController;
enum class DefaultNameList;
struct PageOutcome;
}  // namespace zephyl

namespace zephyl::window {

class WindowServices;

/// Lets the worker's callbacks reach the window only while it exists: the window closes the gate
/// before its pages go, and a callback in flight finishes first.
class PageGate {
public:
    template <class Function>
    void Run(Function&& function) {
        std::lock_guard lock(m_mutex);
        if (m_open) {
            function();
        }
    }
    void Close() {
        std::lock_guard lock(m_mutex);
        m_open = false;
    }

private:
    std::mutex m_mutex;
    bool m_open = true;
};

/// What every page works with: the window its controls live in, the controller it hands the
/// keyboard work to, and the desktop.
struct PageContext {
    glint::MDialog* window = nullptr;
    KeyboardController* controller = nullptr;
    WindowServices* services = nullptr;
    std::shared_ptr<PageGate> gate;
    /// Sets every language text of the window again.
    std::function<void()> applyLanguageTexts;
    /// Names keys in the user's keyboard layout.
    KeyNameSource keyNames = EnglishKeyName;
};

/// The current language's text `id` of the window texts.
QString Text(int id);

/// The window's text colour and its panel colour.
inline constexpr std::uint32_t kTextColour = 0xFFFFFFFF;
inline constexpr std::uint32_t kPanelColour = 0x282828;
/// Every page keeps this much free at its bottom for the footer texts of the window.
inline constexpr int kFooterRoom = 40;

/// One page of the main window: builds its controls inside its container, places them, acts on
/// their events and sets their language texts again when the language changes.
class Page {
public:
    Page(const PageContext& context, int containerId);
    virtual ~Page();
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    int ContainerId() const { return m_containerId; }
    glint::MControl* Container() const { return m_container; }

    /// Builds the page's controls in their creation order inside `container` (null: the window).
    void Build(glint::MControl* container);
    /// Places the controls for a container of `size`.
    virtual void Layout(const QSize& size) = 0;
    /// Whether an event of the page's control `id` with `code` reaches its page operation.
    /// Buttons act only on a click; a page lets every event of its lists, fields and feature
    /// controls through, and they pick what they act on.
    virtual bool AcceptsEvent(int id, int code) const;
    /// An event of one of the page's controls that the page accepted; 1 when handled.
    virtual int OnEvent(int id, int code, int value);
    /// The worker loaded the page of `feature` (a feature bit): a page showing it reads the
    /// store again. Called on the worker; only thread-safe control setters.
    virtual void OnFeatureLoaded(int /*feature*/) {}
    /// Sets every language text of the page again, from the current language.
    virtual void ApplyLanguageTexts();

    /// Whether the page built the control `id` (or meant to, for a class not in this build).
    bool Owns(int id) const { return m_ids.count(id) != 0; }

protected:
    virtual void BuildControls() = 0;

    /// Creates an interactive control of class T inside the container.
    template <class T>
    T* Make(int id, const QString& caption = {}) {
        return static_cast<T*>(MakeNamed(T::kClassName, id, caption, false));
    }
    /// Creates a decoration (passive) of class T inside the container.
    template <class T>
    T* MakeArea(int id, const QString& caption = {}) {
        return static_cast<T*>(MakeNamed(T::kClassName, id, caption, true));
    }
    /// Creates a control of a class that later features bring; null while the class is not part
    /// of the control library yet.
    glint::MControl* MakeLater(std::string_view className, int id);
    /// A panel in the page colour.
    glint::CArea* MakePanel(int id);
    /// A text control showing language text `textId`.
    glint::MText* MakeText(int id, int textId);
    /// A list tool button with its shared image and tooltip.
    glint::CImageButton* MakeToolButton(int id, const char* image, int tooltipText);
    /// A colour slider at `position` of 255.
    glint::MSlider* MakeColourSlider(int id, int position);
    /// A number field for a colour component.
    glint::MEdit* MakeNumberField(int id);
    /// A check box with its eight-state image and caption text.
    glint::CCheckButton* MakeCheck(int id, int textId);
    /// A list with the item marker and in-place editor images.
    glint::MListBox* MakeList(int id);
    /// A drop-down list with its frame image.
    glint::MComboBox* MakeCombo(int id);
    /// A push button with caption text.
    glint::MButton* MakeButton(int id, int textId);
    /// A colour chooser: wheel, red/green/blue rows at 255, 225, 0, and swatches.
    ColourControls MakeColourControls(const ColourControlIds& ids);

    /// Runs `setter` now and again on every language change.
    void OnLanguage(std::function<void()> setter);
    /// Shows language text `textId` as the caption of `control`, now and after language changes.
    void CaptionText(glint::MControlFont* control, int textId);
    void TooltipText(glint::MControl* control, int textId);
    /// Fills a drop-down list with language texts and item values, keeping it in the current
    /// language.
    void LanguageItems(glint::MComboBox* combo, std::vector<std::pair<int, int>> textsAndValues);

    /// Shows the default names of `list`'s items in the current language; other names stay.
    static void LocalizeDefaultNames(glint::MListBox* list, DefaultNameList names);

    /// Does what a page operation asks for afterwards: shows its message, posts its worker
    /// commands and opens the waiting dialog.
    void ApplyOutcome(const PageOutcome& outcome);

    /// The page operation of a feature this build does not have: said in the trace; handled.
    int NotInThisBuild(const char* action);

    glint::MDialog& Window() const { return *m_context.window; }
    KeyboardController& Controller() const { return *m_context.controller; }
    WindowServices& Services() const { return *m_context.services; }

    PageContext m_context;

private:
    glint::MControl* MakeNamed(std::string_view className, int id, const QString& caption,
                               bool passive);

    int m_containerId;
    glint::MControl* m_container = nullptr;
    std::set<int> m_ids;
    std::vector<std::function<void()>> m_texts;
};

/// Places `control` when it exists (controls of later features may be missing).
void Place(glint::MControl* control, const QRect& rect);

}  // namespace zephyl::window
