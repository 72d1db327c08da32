// SPDX-License-Identifier: GPL-2.0-or-later
#include "DialogTestSupport.h"

#include "app/Environment.h"
#include "glint/MControl.h"
#include "glint/Manager.h"
#include "glint/ViewSync.h"

#include <QTest>
#include <QTimer>

namespace zephyl::test {

QApplication& App() {
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

void Settle() {
    for (int round = 0; round < 5; ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        glint::ViewSync::Instance().Flush();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

void ClickControl(glint::MDialog& dialog, int id) {
    glint::MControl* control = dialog.GetControl(id);
    ASSERT_NE(control, nullptr) << "no control " << id;
    Settle();
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, control->rect().center());
    Settle();
}

QWidget* FindWindow(const QString& name) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == name && widget->isVisible()) {
            return widget;
        }
    }
    return nullptr;
}

int CountVisibleWindows(const QString& name) {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        count += widget->objectName() == name && widget->isVisible() ? 1 : 0;
    }
    return count;
}

void WhenModal(std::function<void()> act) {
    QTimer::singleShot(0, [act] {
        Settle();
        act();
    });
    QTimer::singleShot(5000, [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = dynamic_cast<glint::MWindow*>(widget);
                dialog != nullptr && dialog->IsModalRunning()) {
                dialog->DestroyWindow();
            }
        }
    });
}

void DialogTest::SetUp() {
    App();
    m_environment = std::make_unique<TempEnvironment>();
    m_environment->SetVariable("ZEPHYL_RESOURCE_DIR", ZEPHYL_SOURCE_DATA_DIR);
    glint::Manager::SetSkinFolder({});
    SetSoftwareName(kDefaultSoftwareName);
    SetCurrentLanguageId(kEnglishLanguageId);
}

void DialogTest::TearDown() {
    Settle();
    SetCurrentLanguageId(kEnglishLanguageId);
    m_environment.reset();
}

}  // namespace zephyl::test
