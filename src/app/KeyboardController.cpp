// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/KeyboardController.h"

#include "app/AccessProblem.h"
#include "app/CommandFailures.h"
#include "app/Environment.h"
#include "app/SettingsFailures.h"
#include "device/DeviceChange.h"
#include "device/DeviceManager.h"
#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "platform/SettingsStore.h"
#include "protocol/SettingsReports.h"
#include "store/ProfileDatabase.h"
#include "text/DefaultNames.h"
#include "text/LanguageText.h"

#include <algorithm>
#include <chrono>
#include <sys/wait.h>
#include <thread>

namespace zephyl {
namespace {

std::int64_t SteadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

constexpr const char* kDeviceTypeValue = "DeviceType";

/// The commands that write what is stored, so that posting them later sends the change then;
/// the one-key write becomes the write of every layer.
int KeptCommandOf(int command) {
    switch (command) {
        case kCommandWriteKeyLayers:
        case kCommandWriteKeyLayer:
            return kCommandWriteKeyLayers;
        case kCommandWriteMacros:
        case kCommandSendLightEffect:
        case kCommandSendSideLight:
        case kCommandWriteUserLight:
        case kCommandSendSettings:
            return command;
        default:
            return 0;
    }
}

}  // namespace

/// Loading a layout opens the model's database and sets the transport's pacing.
class KeyboardController::LayoutHooksImpl : public LayoutHooks {
public:
    explicit LayoutHooksImpl(KeyboardController& controller) : m_controller(controller) {}
    void OpenModelDatabase(const std::string& modelName) override {
        m_controller.m_database.CloseDatabase();
        CreateDirectoryPath(m_controller.m_dataFolder + "db");
        if (!m_controller.m_database.OpenModelDatabase(m_controller.m_dataFolder, modelName)) {
            const std::string problem = m_controller.m_database.OpenProblem();
            Log(kLogError, "cannot open the profile database of \"%s\": %s", modelName.c_str(),
                problem.c_str());
            // Said once per problem, not at every refresh; the caller holds the view's lock.
            if (problem != m_controller.m_storeProblemShown && m_controller.m_view) {
                m_controller.m_view->ShowStoreProblem(problem);
            }
            m_controller.m_storeProblemShown = problem;
            return;
        }
        m_controller.m_storeProblemShown.clear();
        // A new file gets its first profiles and default settings before anything reads them.
        std::vector<Profile> profiles;
        m_controller.m_database.PrepareProfiles(DefaultProfileBaseName(), profiles);
    }
    void SetPacingDelay(int milliseconds) override {
        m_controller.m_devices.SetPacingDelay(milliseconds);
    }

private:
    KeyboardController& m_controller;
};

/// Plug notifications arrive on the watcher's thread and only post commands.
class KeyboardController::DeviceChangeForwarder : public DeviceChangeSubscriber {
public:
    explicit DeviceChangeForwarder(KeyboardController& controller) : m_controller(controller) {}
    void OnDeviceChange(const DeviceChange& change) override {
        m_controller.OnDeviceChange(change.path, change.arrived);
    }

private:
    KeyboardController& m_controller;
};

KeyboardController::KeyboardController(DeviceManager& devices, ProfileDatabase& database,
                                       std::shared_ptr<SettingsStore> settingsStore,
                                       std::string resourceFolder, std::string dataFolder)
    : m_devices(devices),
      m_database(database),
      m_settingsStore(std::move(settingsStore)),
      m_resourceFolder(std::move(resourceFolder)),
      m_dataFolder(std::move(dataFolder)),
      m_layout(std::make_shared<KeyboardLayout>()),
      m_nowMs(SteadyMilliseconds) {
    AddOwnCommands();
}

KeyboardController::~KeyboardController() {
    if (m_changeSource) {
        m_changeSource->Stop();
    }
    m_worker.StopThread();
}

bool KeyboardController::StartDeviceNotifications() {
    if (m_changeSource) {
        return true;
    }
    m_changeForwarder = std::make_unique<DeviceChangeForwarder>(*this);
    m_changeSource = MakeDeviceChangeSource(m_devices.Library());
    if (!m_changeSource || !m_changeSource->Start(m_changeForwarder.get())) {
        Log(kLogWarning, "plugged keyboards are not noticed: no device watcher");
        m_changeSource.reset();
        return false;
    }
    return true;
}

void KeyboardController::SetView(ControllerView* view) {
    std::lock_guard lock(m_viewMutex);
    m_view = view;
}

void KeyboardController::WithView(const std::function<void(ControllerView&)>& action) {
    std::lock_guard lock(m_viewMutex);
    if (m_view) {
        action(*m_view);
    }
}

void KeyboardController::LoadDeviceDescriptions() {
    const int stored = m_settingsStore->ReadInt(kDeviceTypeValue);
    m_descriptions = zephyl::LoadDeviceDescriptions(m_resourceFolder, SkinFolder(), stored);
    m_devices.AddKnownDevices(m_descriptions.knownDevices);
    m_listSelection.store(m_descriptions.selectedDeviceType);
    m_selectedModelIndex.store(m_descriptions.selectedIndex);
    WithView([this](ControllerView& view) { view.SetSelectDevice(m_listSelection.load()); });
    LoadLayoutFor(m_descriptions.selectedDeviceType);
}

void KeyboardController::Start() {
    // The worker holds the controller until its last tick is over.
    std::weak_ptr<KeyboardController> weak = weak_from_this();
    std::shared_ptr<KeyboardController> self = weak.lock();
    if (!self) {
        Log(kLogError, "the controller must be owned by a shared_ptr to start its worker");
        return;
    }
    m_worker.StartThread(
        kWorkerPeriodMs, true, [self] { self->Work(); }, "zephyl-worker");
    PostCommand(kCommandStart);
}

void KeyboardController::Shutdown() {
    if (m_changeSource) {
        m_changeSource->Stop();  // no notification posts anything from here on
    }
    if (!m_worker.StopThread()) {
        Log(kLogWarning, "the worker is still inside a command; it ends on its own");
    }
    SetView(nullptr);
}

// ---- Queue ----

void KeyboardController::PostCommand(int command) {
    const std::optional<CommandRow> row = m_commands.Find(command);
    std::lock_guard lock(m_queueMutex);
    if (row && row->mergesWhenQueued &&
        std::find(m_queue.begin(), m_queue.end(), command) != m_queue.end()) {
        return;  // the one waiting will send the state as it is when it runs
    }
    m_queue.push_back(command);
}

size_t KeyboardController::QueueLength() const {
    std::lock_guard lock(m_queueMutex);
    return m_queue.size();
}

void KeyboardController::KeepForLater(int command) {
    const int kept = KeptCommandOf(command);
    if (kept == 0) {
        return;
    }
    std::lock_guard lock(m_queueMutex);
    std::vector<int>& commands = m_keptCommands[m_listSelection.load()];
    if (std::find(commands.begin(), commands.end(), kept) == commands.end()) {
        commands.push_back(kept);
    }
}

void KeyboardController::PostKeptCommands() {
    std::vector<int> commands;
    {
        std::lock_guard lock(m_queueMutex);
        const auto found = m_keptCommands.find(m_listSelection.load());
        if (found == m_keptCommands.end()) {
            return;
        }
        commands = std::move(found->second);
        m_keptCommands.erase(found);
    }
    for (int command : commands) {
        PostCommand(command);
    }
}

bool KeyboardController::TakeCommand(int& command) {
    std::lock_guard lock(m_queueMutex);
    if (m_queue.empty()) {
        return false;
    }
    command = m_queue.front();
    m_queue.pop_front();
    return true;
}

void KeyboardController::Work() {
    WaitForExternalProcess();
    int command = 0;
    if (TakeCommand(command)) {
        const CommandOutcome outcome = RunCommand(command);
        if (!outcome.done) {
            // Nobody waits for a queued command but the window: it tells the user.
            WithView([&outcome](ControllerView& view) { view.ShowCommandFailed(outcome.failure); });
        }
        return;
    }
    if (!m_connected.load()) {
        return;
    }
    CommandHandler idleStep;
    {
        std::lock_guard lock(m_handlersMutex);
        const auto found = m_idleSteps.find(m_shownFeature.load());
        if (found != m_idleSteps.end()) {
            idleStep = found->second;
        }
    }
    if (idleStep) {
        idleStep(*this);
    }
    std::vector<CommandHandler> backgroundSteps;
    {
        std::lock_guard lock(m_handlersMutex);
        for (const auto& [name, step] : m_backgroundSteps) {
            backgroundSteps.push_back(step);
        }
    }
    for (const CommandHandler& step : backgroundSteps) {
        if (CommandWaiting()) {
            break;
        }
        step(*this);
    }
    PollBattery(false);
    PollNotifications();
}

CommandOutcome KeyboardController::RunCommand(int command) {
    std::lock_guard lock(m_commandMutex);
    m_outcome = {};
    return RunCommandLocked(command);
}

CommandOutcome KeyboardController::RunQueuedCommands(int limit) {
    CommandOutcome first;
    int command = 0;
    for (int run = 0; run < limit && TakeCommand(command); ++run) {
        const CommandOutcome outcome = RunCommand(command);
        if (first.done && !outcome.done) {
            first = outcome;
        }
    }
    return first;
}

void KeyboardController::FailCommand(const std::string& reason) {
    if (m_outcome.done) {
        m_outcome = {false, reason};
    }
    Log(kLogWarning, "%s", reason.c_str());
}

CommandOutcome KeyboardController::RunCommandLocked(int command) {
    const std::optional<CommandRow> row = m_commands.Find(command);
    const auto closeWaitDialog = [this] {
        WithView([](ControllerView& view) { view.CloseWaitDialog(); });
    };
    if (!row) {
        Log(kLogInfo, "command %d dropped: not a command", command);
        return {false, "not a command: " + std::to_string(command)};
    }
    if (row->needsReadyKeyboard && (!m_connected.load() || !m_ready.load())) {
        Log(kLogInfo, "command %d (%s) dropped: no keyboard ready", command, row->name.c_str());
        // What it would have written stays stored; it goes when the keyboard is ready.
        KeepForLater(command);
        // A wait dialog opened for the command must not stay up waiting for nothing.
        if (row->closesWaitDialog) {
            closeWaitDialog();
        }
        return {false, NotReadyReason()};
    }
    if (row->handler) {
        row->handler(*this);
    } else {
        Log(kLogWarning, "command %d (%s) has no handler in this build", command,
            row->name.c_str());
        FailCommand(row->name + ": not in this build");
    }
    if (row->closesWaitDialog) {
        closeWaitDialog();
        int pause = 0;
        WithView([&pause](ControllerView& view) { pause = view.WaitDialogClosePauseMs(); });
        if (pause > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(pause));
        }
    }
    return m_outcome;
}

void KeyboardController::AddOwnCommands() {
    for (const WorkerCommandInfo& info : kWorkerCommands) {
        m_commands.Add({info.id, info.name, info.needsReadyKeyboard, info.closesWaitDialog,
                        info.mergesWhenQueued, nullptr});
    }
    const auto own = [this](int id, void (KeyboardController::*body)()) {
        m_commands.SetHandler(id, [body](KeyboardController& controller) { (controller.*body)(); });
    };
    own(kCommandStart, &KeyboardController::RunStart);
    own(kCommandArrival, &KeyboardController::RunArrival);
    own(kCommandRemoval, &KeyboardController::RunRemoval);
    own(kCommandModelChosen, &KeyboardController::RunModelChosen);
    own(kCommandLoadPages, &KeyboardController::LoadPages);
    own(kCommandResetKeysReceiver, &KeyboardController::RunResetKeysReceiver);
    own(kCommandRestoreDefaults, &KeyboardController::RunRestoreDefaults);
    m_commands.SetHandler(kCommandSendSettings, [](KeyboardController& controller) {
        // Nothing goes over Bluetooth: the settings wait in the store for the cable or receiver.
        if (controller.ConnectionMode() != kModeBluetooth && !controller.SendSettings()) {
            controller.FailCommand(FailureMessage(kTextKeyboardRefused));
        }
    });
}

void KeyboardController::AddCommand(CommandRow row) {
    m_commands.Add(std::move(row));
}

void KeyboardController::SetCommandHandler(int command, CommandHandler handler) {
    if (!m_commands.SetHandler(command, handler)) {
        CommandRow row;
        row.id = command;
        row.name = "command " + std::to_string(command);
        row.handler = std::move(handler);
        m_commands.Add(std::move(row));
    }
}

void KeyboardController::SetPageLoader(int feature, PageLoader loader) {
    std::lock_guard lock(m_handlersMutex);
    m_pageLoaders[feature] = std::move(loader);
}

void KeyboardController::SetHostActionHandler(HostActionHandler handler) {
    std::lock_guard lock(m_handlersMutex);
    m_hostActionHandler = std::move(handler);
}

void KeyboardController::SetIdleStep(int feature, CommandHandler step) {
    std::lock_guard lock(m_handlersMutex);
    m_idleSteps[feature] = std::move(step);
}

void KeyboardController::SetBackgroundStep(const std::string& name, CommandHandler step) {
    std::lock_guard lock(m_handlersMutex);
    if (step) {
        m_backgroundSteps[name] = std::move(step);
    } else {
        m_backgroundSteps.erase(name);
    }
}

void KeyboardController::AddStartStep(CommandHandler step) {
    std::lock_guard lock(m_handlersMutex);
    m_startSteps.push_back(std::move(step));
}

void KeyboardController::RunStart() {
    // Only the first start refreshes; plug changes refresh every time.
    if (m_firstRefreshDone.exchange(true)) {
        return;
    }
    RefreshDevices();
    ApplySelection();
    for (const CommandHandler& step : StartSteps()) {
        step(*this);
    }
    PollBattery(true);
}

void KeyboardController::RunArrival() {
    RefreshDevices();
    ApplySelection();
    PollBattery(true);
}

void KeyboardController::RunRemoval() {
    RefreshDevices();
    ApplySelection();
}

void KeyboardController::RunResetKeysReceiver() {
    if (m_connectionMode.load() == kModeReceiver &&
        !m_devices.SendReceiverFrame(BuildResetKeysFrame())) {
        FailCommand(FailureMessage(kTextKeyboardRefused));
    }
}

void KeyboardController::RunModelChosen() {
    RefreshDevices();
    ApplySelection();
    PollBattery(true);
    if (m_connected.load() && m_ready.load()) {
        LoadPages();
    }
}

// ---- Selection ----

bool KeyboardController::OnModelChosen(int deviceType, std::string* problem) {
    m_modelChosenNow.store(true);
    m_listSelection.store(deviceType);
    m_selectedModelIndex.store(FindModelIndex(m_descriptions.models, deviceType));
    const SettingsWriteResult stored =
        m_settingsStore->StoreValue(kDeviceTypeValue, std::to_string(deviceType));
    m_devices.SetSelectedDeviceType(deviceType);
    PostCommand(kCommandModelChosen);
    if (!stored.Ok()) {
        const std::string message =
            SettingsFailureMessage(kTextModelNotRemembered, {SettingsWriteMessage(stored)});
        Log(kLogWarning, "%s", message.c_str());
        if (problem != nullptr) {
            *problem = message;
        }
        return false;
    }
    return true;
}

void KeyboardController::OnDeviceChange(const std::string& path, bool arrived) {
    int command = 0;
    {
        std::lock_guard lock(m_modesMutex);
        command = DeviceChangeCommand(m_descriptions.modes, {path, arrived});
    }
    if (command != 0) {
        PostCommand(command);
    }
}

std::vector<KeyboardMode> KeyboardController::Modes() const {
    std::lock_guard lock(m_modesMutex);
    return m_descriptions.modes;
}

std::shared_ptr<const KeyboardLayout> KeyboardController::Layout() const {
    std::lock_guard lock(m_layoutMutex);
    return m_layout;
}

void KeyboardController::LoadLayoutFor(int deviceType) {
    LayoutHooksImpl hooks(*this);
    std::lock_guard viewLock(m_viewMutex);
    // The loader fills in what the file gives over what the model had before.
    auto layout = std::make_shared<KeyboardLayout>(*Layout());
    LoadLayout(*layout, deviceType, m_descriptions.models, m_resourceFolder, SkinFolder(), &hooks,
               m_view ? m_view->Layout() : nullptr);
    std::lock_guard lock(m_layoutMutex);
    m_layout = std::move(layout);
}

void KeyboardController::RefreshDevices() {
    m_ready.store(false);
    m_devices.Reopen();
    const int stored = m_settingsStore->ReadInt(kDeviceTypeValue);
    m_devices.SetSelectedDeviceType(0);

    std::vector<DeviceEntry> entries;
    m_devices.CollectEntries(entries);
    WithView([&entries](ControllerView& view) {
        view.SetAllDeviceState(0);
        for (const auto& entry : entries) {
            view.SetDeviceState(entry.deviceType, 1);
        }
    });
    std::vector<int> connectedTypes;
    for (const auto& entry : entries) {
        connectedTypes.push_back(entry.deviceType);
    }
    {
        std::lock_guard lock(m_refusedMutex);
        m_refusedDeviceTypes = m_devices.RefusedDeviceTypes();
    }
    m_listSelection.store(ModelToShow(m_descriptions.models, stored, m_listSelection.load(),
                                      connectedTypes, m_modelChosenNow.exchange(false)));
    WithView([this](ControllerView& view) { view.SetSelectDevice(m_listSelection.load()); });
    {
        std::lock_guard lock(m_modesMutex);
        for (auto& mode : m_descriptions.modes) {
            const int usable = m_devices.ModeUsable(mode.vid, mode.pid, mode.name, mode.mode);
            mode.connected = usable >= 0 ? 1 : 0;
            if (usable > 0) {
                m_ready.store(true);
            }
        }
    }
    m_settingsStore->WriteInt(kDeviceTypeValue, m_listSelection.load());
    m_connected.store(!entries.empty());
}

void KeyboardController::ApplySelection() {
    m_selectedAbsent.store(false);
    if (!m_connected.load()) {
        m_connectionMode.store(kModeNone);
        const std::string problem = AccessProblem();
        WithView([&problem](ControllerView& view) {
            view.ShowAccessProblem(problem);
            view.ShowDisconnectedView();
        });
        return;
    }
    WithView([](ControllerView& view) { view.ShowAccessProblem({}); });
    const int deviceType = m_listSelection.load();
    m_devices.SetSelectedDeviceType(deviceType);
    m_settingsStore->WriteInt(kDeviceTypeValue, deviceType);
    LoadLayoutFor(deviceType);
    m_selectedModelIndex.store(FindModelIndex(m_descriptions.models, deviceType));

    const int mode = m_devices.CurrentConnectionMode();
    m_connectionMode.store(mode);
    if (mode == kModeNone) {
        // Another keyboard is there, not this one (the user picked it in the list): its pages
        // show what is stored, nothing is sent, and every change says it waits for it.
        m_ready.store(false);
        m_selectedAbsent.store(true);
        const ConnectionState state = AbsentModelState(*Layout());
        WithView([this, &state](ControllerView& view) {
            view.ShowConnectionMode(state);
            view.ShowConnectedView(m_rememberedTab.load());
        });
        LoadFeaturePages();
        LoadSettingsPage();
        return;
    }
    const ConnectionState state = ConnectionStateFor(mode, *Layout());
    WithView([&state](ControllerView& view) { view.ShowConnectionMode(state); });

    if (mode == kModeBluetooth || mode == kModeReceiver) {
        if (m_ready.load()) {
            m_rememberedTab.store(1);
            WithView([](ControllerView& view) { view.ShowConnectedView(1); });
            PostCommand(kCommandLoadPages);
            PostKeptCommands();
        } else {
            WithView([](ControllerView& view) { view.ShowDisconnectedView(); });
        }
        if (mode == kModeBluetooth) {
            ReadBluetoothBattery();
        }
        return;
    }
    m_ready.store(true);
    WithView([this](ControllerView& view) { view.ShowConnectedView(m_rememberedTab.load()); });
    PostCommand(kCommandLoadPages);
    PostKeptCommands();
}

std::string KeyboardController::ModelName(int deviceType) const {
    const int index = FindModelIndex(m_descriptions.models, deviceType);
    return index < 0 ? std::string() : m_descriptions.models[size_t(index)].name;
}

std::vector<int> KeyboardController::RefusedDeviceTypes() const {
    std::lock_guard lock(m_refusedMutex);
    return m_refusedDeviceTypes;
}

std::string KeyboardController::AccessProblem() const {
    const std::vector<int> refused = RefusedDeviceTypes();
    if (refused.empty()) {
        return {};
    }
    // The selected model first: it is the one the user works on.
    const int selected = m_listSelection.load();
    const bool selectedRefused =
        std::find(refused.begin(), refused.end(), selected) != refused.end();
    return AccessProblemOf(selectedRefused ? selected : refused.front());
}

std::string KeyboardController::AccessProblemOf(int deviceType) const {
    std::string name = ModelName(deviceType);
    if (name.empty()) {
        name = std::to_string(deviceType);
    }
    return AccessRefusedMessage(name, FindUdevRule(m_resourceFolder));
}

std::string KeyboardController::NotReadyReason() const {
    const std::vector<int> refused = RefusedDeviceTypes();
    const int selected = m_listSelection.load();
    if ((!m_connected.load() && !refused.empty()) ||
        std::find(refused.begin(), refused.end(), selected) != refused.end()) {
        return AccessProblem();
    }
    if (m_selectedAbsent.load()) {
        return FailureMessage(kTextModelNotConnected, 0, ModelName(selected));
    }
    return FailureMessage(kTextNoKeyboardReady);
}

std::string KeyboardController::DefaultProfileBaseName() {
    std::string name = LanguageText(DefaultNameTextId(DefaultNameList::kProfiles));
    return name.empty() ? std::string("My Config") : name;
}

void KeyboardController::RunHandler(int command) {
    const std::optional<CommandRow> row = m_commands.Find(command);
    if (row && row->handler) {
        row->handler(*this);
    } else {
        Log(kLogWarning, "command %d has no handler in this build", command);
    }
}

void KeyboardController::LoadFeaturePage(int feature) {
    if (PageLoader loader = Lookup(m_pageLoaders, feature)) {
        loader(*this);
    }
    WithView([feature](ControllerView& view) { view.OnPageLoaded(feature); });
}

void KeyboardController::LoadFeaturePages() {
    const std::shared_ptr<const KeyboardLayout> shared = Layout();
    const KeyboardLayout& layout = *shared;
    // Macros first: the key page shows which macro a key plays.
    static constexpr int kPageOrder[] = {kFeatureMacros,    kFeatureKeys,      kFeatureLightModes,
                                         kFeatureSideLight, kFeatureUserLight, kFeatureCustomLight,
                                         kFeatureMusic};
    for (int feature : kPageOrder) {
        if (layout.HasCableFeature(feature)) {
            LoadFeaturePage(feature);
        }
    }
    const int mode = m_connectionMode.load();
    const bool screenPage = (mode == kModeCable && layout.HasCableFeature(kFeatureScreen)) ||
                            (mode == kModeReceiver && layout.wirelessFeatures != 0);
    if (screenPage) {
        LoadFeaturePage(kFeatureScreen);
    }
}

void KeyboardController::LoadPages() {
    LoadFeaturePages();
    if (m_clockWhenPagesLoad.load() && Layout()->HasCableFeature(kFeatureScreen)) {
        RunHandler(kCommandSetClock);
    }
    LoadSettingsPage();
}

void KeyboardController::WaitForExternalProcess() {
    const pid_t process = m_externalProcess.load();
    if (process == 0) {
        return;
    }
    int status = 0;
    while (waitpid(process, &status, 0) < 0 && errno == EINTR) {
    }
    WithView([](ControllerView& view) { view.SetUpdaterRunning(false); });
    m_devices.Reopen();
    m_externalProcess.store(0);
}

}  // namespace zephyl
