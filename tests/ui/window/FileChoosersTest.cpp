// SPDX-License-Identifier: GPL-2.0-or-later
// The file and folder choosers: each says what it is for, and the toolkit's own texts in them
// (buttons, labels) are in the program's language, also after a switch of the language.
#include "WindowTestSupport.h"

#include "text/CurrentLanguage.h"
#include "text/LanguageText.h"
#include "ui/desktop/ToolkitLanguage.h"
#include "ui/window/CustomLightPage.h"
#include "ui/window/DesktopServices.h"
#include "ui/window/KeyPage.h"
#include "ui/window/MacroPage.h"
#include "ui/window/ScreenPage.h"
#include "ui/window/UserLightPage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QTimer>

namespace zephyl::window::test {
namespace {

class FileChoosersTest : public WindowTest {
protected:
    void TearDown() override {
        WindowTest::TearDown();
        UseToolkitLanguage(kEnglishLanguageId);
        SetLanguageSet({});
        SetCurrentLanguageId(kEnglishLanguageId);
    }
};

struct Chooser {
    int tab;
    int prepare;  ///< a control clicked first (0: none)
    int button;
    int title;  ///< the language text the chooser's title is
};

TEST_F(FileChoosersTest, EveryChooserSaysWhatIsChosen) {
    Start("102:0");
    Connect();
    const Chooser choosers[] = {
        {kTabKeys, 0, KeyPage::kImport, 1081},
        {kTabKeys, 0, KeyPage::kExport, 1082},
        {kTabMacros, 0, MacroPage::kImport, 1083},
        {kTabMacros, 262, MacroPage::kExport, 1084},  // a new macro to export
        {kTabUserLight, 0, UserLightPage::kImport, 1085},
        {kTabUserLight, UserLightPage::kAdd, UserLightPage::kExport, 1086},  // a set to export
        {kTabCustomLight, 0, CustomLightPage::kImport, 1085},
        {kTabCustomLight, 0, CustomLightPage::kExport, 1087},
        {kTabScreen, 0, ScreenPage::kAddPicture, 1088},
        {kTabScreen, 0, ScreenPage::kImportGif, 1089},
        {kTabScreen, 0, ScreenPage::kExportGif, 1090},
    };
    for (const Chooser& chooser : choosers) {
        m_window->OnMessage(49, glint::kEventClick, chooser.tab);
        Drain();
        if (chooser.prepare != 0) {
            m_window->OnMessage(chooser.prepare, glint::kEventClick, 0);
            Drain();
        }
        m_services->chooserTitles.clear();
        m_window->OnMessage(chooser.button, glint::kEventClick, 0);
        ASSERT_EQ(m_services->chooserTitles.size(), 1u) << "control " << chooser.button;
        const QString expected = QString::fromStdString(LanguageText(chooser.title));
        EXPECT_FALSE(expected.isEmpty()) << chooser.title;
        EXPECT_EQ(m_services->chooserTitles.front(), expected) << "control " << chooser.button;
    }
}

/// What a file chooser shows of its own: its title, and its buttons' and labels' texts.
struct ChooserTexts {
    QString title;
    QStringList texts;
};

ChooserTexts OpenChooser(const QString& title) {
    ChooserTexts seen;
    QTimer::singleShot(0, [&seen] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        seen.title = dialog->windowTitle();
        for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
            seen.texts << button->text();
        }
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            seen.texts << label->text();
        }
        dialog->reject();
    });
    RunFileDialog(nullptr, title, QFileDialog::Directory, QFileDialog::AcceptOpen, QDir::tempPath(),
                  {});
    return seen;
}

/// Whether the system has Qt's translations (Debian's qt6-translations-l10n).
bool ToolkitTranslationsInstalled() {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    return QFileInfo::exists(folder + QStringLiteral("/qtbase_ru.qm")) &&
           QFileInfo::exists(folder + QStringLiteral("/qtbase_zh_CN.qm"));
}

TEST_F(FileChoosersTest, TheToolkitsTextsFollowTheLanguageChosen) {
    if (!ToolkitTranslationsInstalled()) {
        GTEST_SKIP() << "no Qt translations on this system (make deps installs them)";
    }
    SetLanguageSet({1033, 1049, 2052});
    Start("101:0");
    const QStringList english = {QStringLiteral("Cancel"),     QStringLiteral("&Cancel"),
                                 QStringLiteral("Look in:"),   QStringLiteral("&Choose"),
                                 QStringLiteral("Directory:"), QStringLiteral("Files of type:")};
    ChooserTexts shown = OpenChooser(QStringLiteral("Choose the folder"));
    EXPECT_EQ(shown.title, QStringLiteral("Choose the folder"));
    ASSERT_TRUE(shown.texts.contains(QStringLiteral("Cancel")) ||
                shown.texts.contains(QStringLiteral("&Cancel")))
        << shown.texts.join('|').toStdString();

    for (const int language : {1049, 2052}) {
        ASSERT_TRUE(Control<glint::MComboBox>(291)->SelectData(language));
        ASSERT_EQ(m_window->OnMessage(291, glint::kEventClick, 0), 1);
        const QString title = QString::fromStdString(LanguageText(1082));
        shown = OpenChooser(title);
        EXPECT_EQ(shown.title, title);
        ASSERT_GT(shown.texts.size(), 3);
        for (const QString& text : english) {
            EXPECT_FALSE(shown.texts.contains(text))
                << language << ": " << text.toStdString() << " in "
                << shown.texts.join('|').toStdString();
        }
    }
    // And back to English.
    ASSERT_TRUE(Control<glint::MComboBox>(291)->SelectData(kEnglishLanguageId));
    m_window->OnMessage(291, glint::kEventClick, 0);
    shown = OpenChooser(QStringLiteral("Choose the folder"));
    EXPECT_TRUE(shown.texts.contains(QStringLiteral("Cancel")) ||
                shown.texts.contains(QStringLiteral("&Cancel")))
        << shown.texts.join('|').toStdString();
}

// A program started in a language has the toolkit speak it from its first window on.
TEST_F(FileChoosersTest, AStartInALanguageLoadsTheToolkitsTranslation) {
    if (!ToolkitTranslationsInstalled()) {
        GTEST_SKIP() << "no Qt translations on this system (make deps installs them)";
    }
    ASSERT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QLatin1String("Look in:"));
    m_startLanguage = 1049;
    Start("101:0");
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), QLatin1String("Look in:"));
}

}  // namespace
}  // namespace zephyl::window::test
