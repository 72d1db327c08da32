// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The screen's worker commands: select slot (16), upload (17), GIF import (18) and export (15),
// clock (20), default picture (21), and the page loader that imports the default animations.

#include "device/ReceiverTransfer.h"
#include "protocol/ScreenReports.h"
#include "screen/ScreenLibrary.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace zephyl {

class KeyboardController;
struct KeyboardLayout;

struct ScreenFeatureOptions {
    /// Folders with a trailing '/'; empty takes the program's own.
    std::string dataFolder;
    std::string resourceFolder;
    std::string skinFolder;
    /// Waits of the transfers (80 ms around slot blocks, 2 ms between receiver units); real
    /// sleeps when null.
    std::function<void(int)> pause;
    /// The clock's time; the local time when null.
    std::function<ScreenClock()> now;
};

/// What the last upload sent.
struct ScreenUploadSummary {
    int frames = 0;
    std::size_t units = 0;
    std::size_t unit = 0;
    int slot = 0;
};

/// What the page or zephylctl asks of the next screen commands, and what the worker reports
/// back. Setters and getters take a lock; callbacks run on the thread of the command.
class ScreenFeature {
public:
    explicit ScreenFeature(ScreenFeatureOptions options);

    ScreenPaths Paths(const KeyboardLayout& layout) const;
    static ScreenGeometry Geometry(const KeyboardLayout& layout);
    static ScreenClock LocalClock();

    /// The library entry uploads send: its row id and its position in the library.
    void SetSelectedAnimation(int ledId, int position);
    int SelectedAnimation() const;
    int SelectedPosition() const;
    void SetSelectedSlot(int slot);
    int SelectedSlot() const;
    /// Uploads this file (a GIF or any picture) instead of the selected animation, once.
    void SetUploadFile(const std::string& path);
    /// The time the next clock command sends instead of the present.
    void SetClockOverride(std::optional<ScreenClock> clock);
    /// The GIF command 18 imports, and what the last import gave (0 and a reason when refused).
    void SetImportFile(const std::string& path);
    int LastImported(std::string* error = nullptr) const;
    /// What command 15 writes.
    void SetExport(const std::string& path, std::vector<std::string> frameFiles,
                   std::vector<int> delaysMs);
    bool LastExportDone() const;
    ScreenUploadSummary LastUpload() const;

    /// Called on the worker with 0..100 during an upload (unit progress) and once with 100.
    void SetProgressSink(std::function<void(int)> sink);
    /// Called on the worker when command 15, 17, 18 or 21 has ended (the window closes its wait
    /// and shows what the slots hold now).
    void SetDoneSink(std::function<void(int command)> sink);

    // ---- Worker side ----
    void RunSelectSlot(KeyboardController& controller);
    void RunUpload(KeyboardController& controller);
    void RunImport(KeyboardController& controller);
    void RunExport(KeyboardController& controller);
    void RunClock(KeyboardController& controller);
    void RunDefaultPicture(KeyboardController& controller);
    void LoadPage(KeyboardController& controller);

private:
    bool SendSelectSlot(KeyboardController& controller, int slot);
    bool SendCableImage(KeyboardController& controller, const ScreenImage& image, int uploadIndex,
                        bool progress);
    ReceiverTransferResult SendReceiverImage(KeyboardController& controller,
                                             const ScreenImage& image, int uploadIndex);
    void Progress(int percent);
    void Done(int command);
    void Pause(int milliseconds) const;

    ScreenFeatureOptions m_options;
    mutable std::mutex m_mutex;
    int m_ledId = 0;
    int m_position = 0;
    int m_slot = 0;
    int m_uploadIndex = 0;
    std::string m_uploadFile;
    std::optional<ScreenClock> m_clock;
    std::string m_importFile;
    int m_imported = 0;
    std::string m_importError;
    std::string m_exportPath;
    std::vector<std::string> m_exportFrames;
    std::vector<int> m_exportDelays;
    bool m_exportDone = false;
    ScreenUploadSummary m_lastUpload;
    std::function<void(int)> m_progress;
    std::function<void(int)> m_done;
};

void RegisterScreenFeature(KeyboardController& controller, ScreenFeatureOptions options = {});

/// The screen feature registered for `controller`; null when it was not registered.
std::shared_ptr<ScreenFeature> ScreenFeatureOf(const KeyboardController& controller);

}  // namespace zephyl
