// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "app/CThreadBasic.h"
#include "app/CommandTable.h"
#include "app/ControllerView.h"
#include "app/KeySelection.h"
#include "app/WorkerCommand.h"
#include "catalogue/DeviceCatalogue.h"
#include "catalogue/KeyboardLayout.h"
#include "device/KeyboardSettings.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>

namespace zephyl {

class DeviceChangeSource;
class DeviceManager;
class ProfileDatabase;
class SettingsStore;

/// The controller side of the main window: the selected keyboard's state, the command queue and
/// the worker that performs every exchange with the keyboard.
///
/// The window thread stores what the user changed and posts a command; the worker takes at most
/// one command per 30 ms tick and runs it to the end, and when idle polls the battery and the
/// keyboard's notifications. Create it with std::make_shared: the worker keeps it alive until
/// it has left its last command, so Shutdown never leaves the worker on a destroyed object.
class KeyboardController : public std::enable_shared_from_this<KeyboardController> {
public:
    static constexpr int kWorkerPeriodMs = 30;
    static constexpr int kBatteryPollMs = 15000;
    static constexpr int kNotificationPollMs = 200;

    /// The handler of a worker command; a feature gives the numbered commands of
    /// WorkerCommand.h theirs with SetCommandHandler, and adds a command of its own with
    /// AddCommand.
    using CommandHandler = CommandRow::Handler;
    /// Loads one feature's page from the database (worker command 5).
    using PageLoader = std::function<void(KeyboardController&)>;
    /// Runs the computer-side action of a key (a number the keyboard reports).
    using HostActionHandler = std::function<void(int action)>;

    KeyboardController(DeviceManager& devices, ProfileDatabase& database,
                       std::shared_ptr<SettingsStore> settingsStore, std::string resourceFolder,
                       std::string dataFolder);
    ~KeyboardController();
    KeyboardController(const KeyboardController&) = delete;
    KeyboardController& operator=(const KeyboardController&) = delete;

    // ---- Start and stop ----

    /// Reads config.xml's models, selects the stored model and loads its layout.
    void LoadDeviceDescriptions();
    /// Starts the worker and posts command 1.
    void Start();
    /// Starts watching for keyboards being plugged in and out; each change posts command 2 or 3.
    bool StartDeviceNotifications();
    /// Stops the worker (waiting at most 1000 ms) and detaches the window: whatever the worker
    /// still does afterwards reaches no view.
    void Shutdown();

    void SetView(ControllerView* view);

    // ---- Queue ----

    /// Queues a command; one whose row merges is not queued again while it still waits.
    void PostCommand(int command);
    size_t QueueLength() const;
    /// Whether a command waits: an idle step that runs long checks it and ends early.
    bool CommandWaiting() const { return QueueLength() > 0; }
    /// One worker tick: the external-process wait, then one command or the idle step.
    void Work();
    /// Runs one command at once on the calling thread, by the same rules as a queued one, and
    /// says whether it did its work.
    CommandOutcome RunCommand(int command);
    /// Runs the queued commands one after another on the calling thread (at most `limit`), as
    /// the command line does instead of the worker; the first that did not do its work.
    CommandOutcome RunQueuedCommands(int limit = 64);
    /// Called by a handler whose work did not happen (a write the keyboard refused or lost,
    /// data too large): the command's outcome becomes a failure with this reason. The first
    /// reason of a command is kept.
    void FailCommand(const std::string& reason);

    // ---- What features register (see app/Feature.h) ----

    /// Adds a worker command, replacing one with the same id.
    void AddCommand(CommandRow row);
    /// Gives command `command` its handler, keeping how the queue treats it; a number without a
    /// row gets a plain one (needs a ready keyboard, no wait dialog, queued each time).
    void SetCommandHandler(int command, CommandHandler handler);
    void SetPageLoader(int feature, PageLoader loader);
    void SetHostActionHandler(HostActionHandler handler);
    /// The step a feature runs on idle ticks while its page is shown (live colours, streams).
    /// It runs only when no command waits, and a step that runs long ends when CommandWaiting.
    void SetIdleStep(int feature, CommandHandler step);
    /// A step that runs on idle passes whatever page is shown, after the page's own step and
    /// only while no command waits: for a service that outside programs drive (the SDK
    /// server's stream). An empty step removes the one of that name.
    void SetBackgroundStep(const std::string& name, CommandHandler step);
    /// A step of command 1 after the first refresh (the audio analyser's start).
    void AddStartStep(CommandHandler step);
    const CommandTable& Commands() const { return m_commands; }

    // ---- Selection (window thread) ----

    /// The model chosen in the model list: stored, handed to the device manager, command 4.
    /// False, with the reason in `problem`, when the choice could not be stored for the next
    /// start (it is used all the same).
    bool OnModelChosen(int deviceType, std::string* problem = nullptr);
    /// A plug notification: posts 2 or 3 for a known interface.
    void OnDeviceChange(const std::string& path, bool arrived);
    /// The window's page shown (its tab item id), and the feature bit of that page (0 for the
    /// home page and pages of no feature): the idle step of that feature runs.
    void SetCurrentPage(int page, int feature = 0) {
        m_currentPage.store(page);
        m_shownFeature.store(feature);
    }
    int CurrentPage() const { return m_currentPage.load(); }
    int ShownFeature() const { return m_shownFeature.load(); }

    // ---- Worker steps ----

    void RefreshDevices();
    void ApplySelection();
    void PollBattery(bool forced);
    void PollNotifications();
    void LoadPages();

    // ---- Settings ----

    /// The six settings of profile 1.
    KeyboardSettings ReadSettings();
    /// Stores one setting by its name; false for an unknown name or a value out of range.
    bool StoreSetting(const std::string& key, int value);
    void LoadSettingsPage();
    /// Sends the settings block for the current connection; false when it was not sent.
    bool SendSettings();
    /// Deletes the current profile's key assignments and posts what resets them on the
    /// keyboard. Returns the command posted (0 over Bluetooth).
    int ResetKeyAssignments();
    /// Recreates the model's database with default content and posts command 14. False when
    /// no keyboard is connected (only the program's preferences were reset then), or when the
    /// preferences could not be stored: then nothing was reset and `problem` says why.
    bool RestoreDefaults(int defaultLanguage, std::string* problem = nullptr);
    void RunRestoreDefaults();

    // ---- Firmware ----

    /// kToolOutside: the layout names a program outside the firmware folder; it is not run.
    enum class FirmwareUpdateResult { kNotNewer, kNoTool, kToolOutside, kStartFailed, kStarted };
    /// Starts the firmware tool when the layout's firmware is newer than the keyboard's.
    FirmwareUpdateResult FirmwareUpdate();

    // ---- State ----

    /// Some keyboard is connected but not the selected model: its pages show what is stored,
    /// and every change is kept for when it is connected.
    bool SelectedModelAbsent() const { return m_selectedAbsent.load(); }
    /// The name config.xml gives model `deviceType`; empty for an unknown model.
    std::string ModelName(int deviceType) const;
    /// Models plugged in that this user may not open, as the last refresh found them.
    std::vector<int> RefusedDeviceTypes() const;
    /// What to tell the user about a keyboard plugged in that this user may not open (the
    /// first such model): the sentence and the way out; empty when there is none.
    std::string AccessProblem() const;
    /// The same for model `deviceType`, whether or not it was refused.
    std::string AccessProblemOf(int deviceType) const;
    /// Why a command that needs the keyboard cannot run now, in the current language: a
    /// keyboard this user may not open, the selected model not connected, or none ready.
    std::string NotReadyReason() const;
    bool Connected() const { return m_connected.load(); }
    bool Ready() const { return m_ready.load(); }
    int ConnectionMode() const { return m_connectionMode.load(); }
    int BatteryLevel() const { return m_batteryLevel.load(); }
    int SelectedDeviceType() const { return m_listSelection.load(); }
    /// The profile, layer and key the user works on; shared by the window and the command line.
    KeySelection& Selection() { return m_selection; }
    const KeySelection& Selection() const { return m_selection; }
    int CurrentProfile() const { return m_selection.CurrentProfile(); }
    void SetCurrentProfile(int profile) { m_selection.SetCurrentProfile(profile); }
    /// The selected model's layout. A new layout replaces the object; a holder keeps the one it
    /// took, unchanged.
    std::shared_ptr<const KeyboardLayout> Layout() const;
    const DeviceDescriptions& Descriptions() const { return m_descriptions; }
    std::vector<KeyboardMode> Modes() const;
    DeviceManager& Devices() { return m_devices; }
    ProfileDatabase& Database() { return m_database; }
    SettingsStore& Settings() { return *m_settingsStore; }
    /// The clock the polls measure with; tests replace it.
    void SetClock(std::function<std::int64_t()> nowMs) { m_nowMs = std::move(nowMs); }
    /// Whether loading the pages also sets the keyboard's clock (a keyboard with a screen): the
    /// window does, as it opens; zephylctl does not, so that a command only writes what it was
    /// asked to, and a clock set with `screen clock --at` stays as set.
    void SetKeyboardClockWhenPagesLoad(bool set) { m_clockWhenPagesLoad.store(set); }

private:
    class LayoutHooksImpl;
    class DeviceChangeForwarder;

    /// Calls `action` with the view unless the window is gone.
    void WithView(const std::function<void(ControllerView&)>& action);
    CommandOutcome RunCommandLocked(int command);
    void WaitForExternalProcess();
    void LoadLayoutFor(int deviceType);
    bool TakeCommand(int& command);
    /// Remembers a write of stored state that could not run, to post it when the model is ready.
    void KeepForLater(int command);
    /// Posts what was kept for the selected model.
    void PostKeptCommands();
    /// One row per numbered command, with the controller's own handlers: start, plug changes,
    /// model choice, page load, settings and the resets.
    void AddOwnCommands();
    /// Refresh and selection after start, plug and model choice (commands 1 to 4).
    void RunStart();
    void RunArrival();
    void RunRemoval();
    void RunModelChosen();
    /// The receiver clears both key tables itself (command 13).
    void RunResetKeysReceiver();
    /// Runs the page loader of `feature`, if any, and tells the window the page is loaded.
    void LoadFeaturePage(int feature);
    /// Shows the level the system reports for a keyboard on Bluetooth, when it reports one.
    void ReadBluetoothBattery();
    /// Loads every page the layout enables, without sending anything.
    void LoadFeaturePages();
    /// Runs the handler a feature registered for a command, when there is one.
    void RunHandler(int command);
    HostActionHandler HostAction() {
        std::lock_guard lock(m_handlersMutex);
        return m_hostActionHandler;
    }
    std::vector<CommandHandler> StartSteps() {
        std::lock_guard lock(m_handlersMutex);
        return m_startSteps;
    }
    /// The entry of `key` in one of the handler tables, copied under their lock; empty when the
    /// feature installed none.
    template <typename Function>
    Function Lookup(const std::map<int, Function>& table, int key) {
        std::lock_guard lock(m_handlersMutex);
        const auto found = table.find(key);
        return found == table.end() ? Function() : found->second;
    }
    /// Start of the default profile names, in the current language.
    static std::string DefaultProfileBaseName();

    DeviceManager& m_devices;
    ProfileDatabase& m_database;
    std::shared_ptr<SettingsStore> m_settingsStore;
    std::string m_resourceFolder;
    std::string m_dataFolder;

    DeviceDescriptions m_descriptions;
    mutable std::mutex m_modesMutex;  ///< connected flags of the mode records
    mutable std::mutex m_layoutMutex;
    std::shared_ptr<const KeyboardLayout> m_layout;

    mutable std::mutex m_queueMutex;
    std::deque<int> m_queue;
    std::mutex m_commandMutex;  ///< one command at a time, queued or run directly
    CommandOutcome m_outcome;   ///< of the command running; under m_commandMutex

    std::mutex m_viewMutex;
    ControllerView* m_view = nullptr;

    CommandTable m_commands;
    std::mutex m_handlersMutex;
    std::map<int, PageLoader> m_pageLoaders;
    std::map<int, CommandHandler> m_idleSteps;
    std::map<std::string, CommandHandler> m_backgroundSteps;
    std::vector<CommandHandler> m_startSteps;
    HostActionHandler m_hostActionHandler;
    KeySelection m_selection;

    std::atomic<bool> m_firstRefreshDone{false};
    std::atomic<bool> m_clockWhenPagesLoad{true};
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_selectedAbsent{false};
    /// The model list's choice waits for its refresh: it is shown even when not plugged in.
    std::atomic<bool> m_modelChosenNow{false};
    mutable std::mutex m_refusedMutex;
    std::vector<int> m_refusedDeviceTypes;  ///< under m_refusedMutex
    /// Per model, the writes dropped while it was not ready; posted again when it is. Under
    /// m_queueMutex.
    std::map<int, std::vector<int>> m_keptCommands;
    std::atomic<bool> m_ready{false};
    std::atomic<int> m_connectionMode{-1};
    std::atomic<int> m_listSelection{kDefaultDeviceType};
    std::atomic<int> m_selectedModelIndex{-1};
    std::atomic<int> m_currentPage{0};
    std::atomic<int> m_shownFeature{0};
    std::atomic<int> m_rememberedTab{1};
    std::atomic<int> m_batteryLevel{0};
    std::atomic<pid_t> m_externalProcess{0};
    std::string m_storeProblemShown;  ///< under m_viewMutex
    std::int64_t m_lastBatteryPoll = -1;
    std::int64_t m_lastNotificationPoll = -1;
    std::function<std::int64_t()> m_nowMs;

    CThreadBasic m_worker;
    std::unique_ptr<DeviceChangeForwarder> m_changeForwarder;
    std::unique_ptr<DeviceChangeSource> m_changeSource;
};

}  // namespace zephyl
