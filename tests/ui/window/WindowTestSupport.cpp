// SPDX-License-Identifier: GPL-2.0-or-later
#include "WindowTestSupport.h"

#include "core/Core.h"
#include "app/Environment.h"
#include "device/HidLibrary.h"
#include "glint/ViewSync.h"
#include "platform/SettingsStore.h"

#include <QApplication>

namespace zephyl::window::test {

QApplication& App() {
    static int argc = 1;
    static char name[] = "test_window";
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
    }
}

int FakeServices::ShowMessageBox(const QString& title, const QString& message, int kind) {
    Add("message " + std::to_string(kind) + " " + title.toStdString() + ": " +
        message.toStdString());
    std::lock_guard lock(m_mutex);
    if (answers.empty()) {
        return kAnswerOk;
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

int FakeServices::TrackMenu(const std::vector<std::pair<int, QString>>& items) {
    lastMenu = items;
    Add("menu");
    return menuChoice;
}

std::vector<std::string> FakeServices::Calls() {
    std::lock_guard lock(m_mutex);
    return m_calls;
}

void FakeServices::Clear() {
    std::lock_guard lock(m_mutex);
    m_calls.clear();
}

void FakeServices::OpenDownloadDialog(std::function<void()> cancel) {
    downloadCancel = std::move(cancel);
    Add("download wait");
}

void FakeServices::SetDownloadProgress(int percent) {
    {
        std::lock_guard lock(m_mutex);
        m_downloadProgress.push_back(percent);
    }
    if (onDownloadProgress) {
        onDownloadProgress(percent);
    }
}

std::vector<int> FakeServices::DownloadProgress() {
    std::lock_guard lock(m_mutex);
    return m_downloadProgress;
}

void FakeServices::Add(const std::string& call) {
    std::lock_guard lock(m_mutex);
    m_calls.push_back(call);
}

void WindowTest::Start(const std::string& scenario, const std::string& resourceFolder) {
    App();
    const std::string resources =
        resourceFolder.empty() ? std::string(ZEPHYL_RUNTIME_DIR) : resourceFolder;
    m_environment.SetVariable("ZEPHYL_RESOURCE_DIR", resources);
    m_environment.SetVariable("ZEPHYL_VIRTUAL_STATE", std::nullopt);
    m_environment.SetVariable("ZEPHYL_VIRTUAL_LOG", std::nullopt);
    SetSoftwareName("Zephyl Keyboard Driver");
    SetCurrentLanguageId(m_startLanguage);
    m_devices = std::make_unique<DeviceManager>(HidLibrary::LoadVirtual(scenario));
    ASSERT_TRUE(m_devices->Library().Loaded());
    m_controller =
        BuildCore(*m_devices, m_database, std::make_shared<SettingsStore>("Zephyl Keyboard Driver"),
                  resources + "/", DataFolder());
    auto services = std::make_unique<FakeServices>();
    m_services = services.get();
    m_window = std::make_unique<KeyboardDlg>(
        m_controller, std::move(services),
        KeyboardDlg::Options{.startWorker = false, .keyNames = EnglishKeyName});
    ASSERT_TRUE(m_window->CreateMainWindow());
    m_window->ShowWindow(glint::kShow);
    Settle();
}

void WindowTest::TearDown() {
    Stop();
}

void WindowTest::Stop() {
    m_window.reset();
    m_controller.reset();
    m_database.CloseDatabase();
    Settle();
}

void WindowTest::Drain() {
    for (int i = 0; i < 64 && m_controller->QueueLength() > 0; ++i) {
        m_controller->Work();
    }
    Settle();
}

void WindowTest::Connect() {
    m_controller->PostCommand(kCommandStart);
    Drain();
}

std::string WindowTest::KeyboardState() {
    using StateJson = size_t (*)(char*, size_t);
    auto stateJson =
        reinterpret_cast<StateJson>(m_devices->Library().Symbol("zephyl_virtual_state_json"));
    if (!stateJson) {
        return {};
    }
    std::string text(stateJson(nullptr, 0) + 1, '\0');
    stateJson(text.data(), text.size());
    text.resize(text.size() - 1);
    return text;
}

}  // namespace zephyl::window::test
