// SPDX-License-Identifier: GPL-2.0-or-later
#include "screen/ScreenFeature.h"

#include "app/CommandFailures.h"
#include "app/Environment.h"
#include "app/KeyboardController.h"
#include "device/DeviceManager.h"
#include "platform/Paths.h"
#include "screen/GifCodec.h"
#include "screen/Picture.h"
#include "screen/ScreenText.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <map>
#include <thread>

namespace zephyl {
namespace {

/// The keyboard takes a slot block only after this pause.
constexpr int kSlotBlockPauseMs = 80;
constexpr int kReceiverUnitPauseMs = 2;
/// Delay code 10 of the default picture.
constexpr int kDefaultPictureDelay = 20;

struct FeatureTable {
    std::mutex mutex;
    std::map<const KeyboardController*, std::weak_ptr<ScreenFeature>> features;
};

FeatureTable& Features() {
    static FeatureTable table;
    return table;
}

}  // namespace

ScreenFeature::ScreenFeature(ScreenFeatureOptions options) : m_options(std::move(options)) {}

ScreenPaths ScreenFeature::Paths(const KeyboardLayout& layout) const {
    ScreenPaths paths;
    paths.dataFolder =
        m_options.dataFolder.empty() ? DataFolder() : WithTrailingSlash(m_options.dataFolder);
    paths.resourceFolder = m_options.resourceFolder.empty()
                               ? ResourceFolder()
                               : WithTrailingSlash(m_options.resourceFolder);
    paths.skinFolder =
        m_options.skinFolder.empty() ? SkinFolder() : WithTrailingSlash(m_options.skinFolder);
    paths.device = SafeFileComponent(layout.modelName);
    return paths;
}

ScreenGeometry ScreenFeature::Geometry(const KeyboardLayout& layout) {
    return ScreenGeometry{layout.screenWidth, layout.screenHeight, layout.screenHeaderLength,
                          layout.screenMaxFrames};
}

ScreenClock ScreenFeature::LocalClock() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return ScreenClock{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                       local.tm_min,         local.tm_sec,     local.tm_wday};
}

void ScreenFeature::SetSelectedAnimation(int ledId, int position) {
    std::lock_guard lock(m_mutex);
    m_ledId = ledId;
    m_position = position;
}

int ScreenFeature::SelectedAnimation() const {
    std::lock_guard lock(m_mutex);
    return m_ledId;
}

int ScreenFeature::SelectedPosition() const {
    std::lock_guard lock(m_mutex);
    return m_position;
}

void ScreenFeature::SetSelectedSlot(int slot) {
    std::lock_guard lock(m_mutex);
    m_slot = slot;
}

int ScreenFeature::SelectedSlot() const {
    std::lock_guard lock(m_mutex);
    return m_slot;
}

void ScreenFeature::SetUploadFile(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_uploadFile = path;
}

void ScreenFeature::SetClockOverride(std::optional<ScreenClock> clock) {
    std::lock_guard lock(m_mutex);
    m_clock = clock;
}

void ScreenFeature::SetImportFile(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_importFile = path;
}

int ScreenFeature::LastImported(std::string* error) const {
    std::lock_guard lock(m_mutex);
    if (error) {
        *error = m_importError;
    }
    return m_imported;
}

void ScreenFeature::SetExport(const std::string& path, std::vector<std::string> frameFiles,
                              std::vector<int> delaysMs) {
    std::lock_guard lock(m_mutex);
    m_exportPath = path;
    m_exportFrames = std::move(frameFiles);
    m_exportDelays = std::move(delaysMs);
}

bool ScreenFeature::LastExportDone() const {
    std::lock_guard lock(m_mutex);
    return m_exportDone;
}

ScreenUploadSummary ScreenFeature::LastUpload() const {
    std::lock_guard lock(m_mutex);
    return m_lastUpload;
}

void ScreenFeature::SetProgressSink(std::function<void(int)> sink) {
    std::lock_guard lock(m_mutex);
    m_progress = std::move(sink);
}

void ScreenFeature::SetDoneSink(std::function<void(int)> sink) {
    std::lock_guard lock(m_mutex);
    m_done = std::move(sink);
}

void ScreenFeature::Progress(int percent) {
    std::function<void(int)> sink;
    {
        std::lock_guard lock(m_mutex);
        sink = m_progress;
    }
    if (sink) {
        sink(percent);
    }
}

void ScreenFeature::Done(int command) {
    std::function<void(int)> sink;
    {
        std::lock_guard lock(m_mutex);
        sink = m_done;
    }
    if (sink) {
        sink(command);
    }
}

void ScreenFeature::Pause(int milliseconds) const {
    if (m_options.pause) {
        m_options.pause(milliseconds);
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

bool ScreenFeature::SendSelectSlot(KeyboardController& controller, int slot) {
    // The keyboard needs its 80 ms after a slot block only; a pause before it too would double
    // the time slot selection takes.
    CableBlockOptions options;
    options.confirmBlock = true;
    options.pauseAfterBlock = kSlotBlockPauseMs;
    options.pause = [this](int milliseconds) { Pause(milliseconds); };
    DeviceManager& devices = controller.Devices();
    bool accepted =
        devices.SendCableBlock(kDataScreenBlock, 0, BuildSelectSlotBlock(slot), options);
    accepted =
        devices.SendCableBlock(kDataSettings, 0, BuildScreenSettingsBlock(), options) && accepted;
    return accepted;
}

bool ScreenFeature::SendCableImage(KeyboardController& controller, const ScreenImage& image,
                                   int uploadIndex, bool progress) {
    DeviceManager& devices = controller.Devices();
    bool accepted = devices.SendFeature(BuildBeginCommand(), true);
    accepted = devices.SendFeature(
                   BuildHeaderCommand(kDataScreenImage, static_cast<std::uint8_t>(uploadIndex),
                                      static_cast<std::uint16_t>(image.units)),
                   true) &&
               accepted;
    for (std::size_t i = 0; i < image.units; ++i) {
        accepted = devices.SendBulk(image.Unit(i)) && accepted;
        if (progress) {
            Progress(static_cast<int>(100 * i / image.units));
        }
    }
    // The end report is where the keyboard says whether the whole image arrived.
    accepted = devices.SendFeature(BuildEndCommand(), true) && accepted;
    if (progress) {
        Progress(100);
    }
    return accepted;
}

ReceiverTransferResult ScreenFeature::SendReceiverImage(KeyboardController& controller,
                                                        const ScreenImage& image, int uploadIndex) {
    // The start frame and the units travel as one ordered sequence: the keyboard takes a unit
    // only after the one before it, so the transfer ends as soon as it stops listening.
    const auto frameAt = [&image, uploadIndex](std::size_t i) {
        return i == 0 ? BuildScreenStartFrame(uploadIndex, image.units)
                      : BuildScreenUnitFrame(image, i - 1);
    };
    const auto sent = [this, &image](std::size_t i) {
        if (i > 0) {
            Progress(static_cast<int>(100 * (i - 1) / image.units));
        }
    };
    const ReceiverTransferResult result = controller.Devices().SendReceiverSequence(
        image.units + 1, frameAt, kReceiverUnitPauseMs,
        [this](int milliseconds) { Pause(milliseconds); }, sent);
    Progress(100);
    return result;
}

void ScreenFeature::RunSelectSlot(KeyboardController& controller) {
    if (controller.ConnectionMode() != kModeCable) {
        return;  // the slot blocks travel on the cable only
    }
    if (!SendSelectSlot(controller, SelectedSlot())) {
        controller.FailCommand(FailureMessage(kTextKeyboardRefusedTryAgain));
    }
}

void ScreenFeature::RunUpload(KeyboardController& controller) {
    const std::shared_ptr<const KeyboardLayout> layout = controller.Layout();
    const int mode = controller.ConnectionMode();
    std::string file;
    int ledId = 0;
    int position = 0;
    int slot = 0;
    {
        std::lock_guard lock(m_mutex);
        file = std::move(m_uploadFile);
        m_uploadFile.clear();
        ledId = m_ledId;
        position = m_position;
        slot = m_slot;
    }
    if (!layout || mode == kModeBluetooth || mode == kModeNone) {
        Done(kCommandUploadScreen);
        return;
    }
    const ScreenGeometry geometry = Geometry(*layout);
    const ScreenPaths paths = Paths(*layout);
    const bool cable = mode == kModeCable;
    const std::size_t unit = cable ? kScreenCableUnit : kScreenReceiverUnit;
    bool accepted = true;
    if (cable) {
        accepted = SendSelectSlot(controller, slot);
    }
    ScreenImage image;
    int uploadIndex = 0;
    std::string firstFrame;
    RgbaImage filePicture;
    if (!file.empty()) {
        // Read and decoded once: the image's frames and the slot's picture both come from it.
        std::string error;
        if (!BuildFileImage(file, geometry, unit, kDefaultPictureDelay, image, &error,
                            &filePicture)) {
            controller.FailCommand(ScreenPictureMessage(file, error));
            Done(kCommandUploadScreen);
            return;
        }
        firstFrame = file;
    } else {
        uploadIndex = position + 1;
        image =
            BuildAnimationImage(controller.Database(), paths, geometry, ledId, unit,
                                [&firstFrame](const std::string& path, int) { firstFrame = path; });
        if (image.frames == 0) {
            controller.FailCommand(ScreenMessage(kTextUploadNothing));
            Done(kCommandUploadScreen);
            return;
        }
    }
    {
        std::lock_guard lock(m_mutex);
        m_uploadIndex = uploadIndex;
        m_lastUpload = ScreenUploadSummary{image.frames, image.units, unit, slot};
    }
    if (cable) {
        if (!filePicture.Empty()) {
            // A GIF or photo of any size: the slot shows it as the screen will.
            std::error_code ignored;
            std::filesystem::create_directories(paths.SlotFolder(), ignored);
            if (WritePng(paths.SlotPicture(slot), filePicture)) {
                firstFrame = paths.SlotPicture(slot);
            }
        }
        UpdateSlotPicture(controller.Database(), paths, slot, firstFrame, image.frames);
        accepted = SendCableImage(controller, image, uploadIndex, true) && accepted;
    } else {
        const ReceiverTransferResult sent = SendReceiverImage(controller, image, uploadIndex);
        if (sent.unreachable) {
            controller.FailCommand(FailureMessage(kTextKeyboardGoneTryAgain));
            Done(kCommandUploadScreen);
            return;
        }
        accepted = sent.complete;
    }
    if (!accepted) {
        controller.FailCommand(FailureMessage(kTextKeyboardRefusedTryAgain));
    }
    Done(kCommandUploadScreen);
}

void ScreenFeature::RunDefaultPicture(KeyboardController& controller) {
    const std::shared_ptr<const KeyboardLayout> layout = controller.Layout();
    if (!layout || controller.ConnectionMode() != kModeCable) {
        Done(kCommandScreenSlot);
        return;  // the default picture travels in the cable's format only
    }
    const ScreenGeometry geometry = Geometry(*layout);
    const ScreenPaths paths = Paths(*layout);
    const int slot = SelectedSlot();
    bool accepted = SendSelectSlot(controller, slot);
    const int delays[] = {kDefaultPictureDelay};
    ScreenImage image = MakeScreenImage(geometry, delays, kScreenCableUnit);
    if (image.frames > 0) {
        GetImageRGB565Data(paths.DefaultPicture(), image.Frame(geometry, 0), geometry.width,
                           geometry.height);
    }
    UpdateSlotPicture(controller.Database(), paths, slot, paths.DefaultPicture(), image.frames);
    int uploadIndex = 0;
    {
        std::lock_guard lock(m_mutex);
        uploadIndex = m_uploadIndex;
    }
    accepted = SendCableImage(controller, image, uploadIndex, false) && accepted;
    if (!accepted) {
        controller.FailCommand(FailureMessage(kTextKeyboardRefusedTryAgain));
    }
    Done(kCommandScreenSlot);
}

void ScreenFeature::RunClock(KeyboardController& controller) {
    ScreenClock clock;
    int position = 0;
    {
        std::lock_guard lock(m_mutex);
        clock = m_clock ? *m_clock : (m_options.now ? m_options.now() : LocalClock());
        position = m_position;
    }
    if (!ClockYearFits(clock.year)) {
        // Two digits would send another year than the computer's: better no clock than that.
        controller.FailCommand(ScreenMessage(kTextClockYearNotKept, std::to_string(clock.year)));
        return;
    }
    bool accepted = true;
    if (controller.ConnectionMode() == kModeCable) {
        CableBlockOptions options;
        options.confirmBlock = true;
        const auto block = BuildClockBlock(clock, position);
        accepted = controller.Devices().SendCableBlock(kDataScreenBlock, 0, block, options);
    } else if (controller.ConnectionMode() == kModeReceiver) {
        ReceiverFrame frame = BuildClockFrame(clock, position);
        accepted = controller.Devices().Query(frame);
    }
    if (!accepted) {
        controller.FailCommand(FailureMessage(kTextKeyboardRefusedTryAgain));
    }
}

void ScreenFeature::RunImport(KeyboardController& controller) {
    const std::shared_ptr<const KeyboardLayout> layout = controller.Layout();
    std::string file;
    {
        std::lock_guard lock(m_mutex);
        file = std::move(m_importFile);
        m_importFile.clear();
    }
    std::string error;
    int ledId = 0;
    if (layout) {
        ledId = ImportGifAnimation(controller.Database(), Paths(*layout), file, &error,
                                   Geometry(*layout));
    }
    const std::string refusal = ledId > 0 ? std::string() : ScreenPictureMessage(file, error);
    {
        std::lock_guard lock(m_mutex);
        m_imported = ledId;
        m_importError = refusal;
    }
    if (ledId == 0) {
        controller.FailCommand(refusal);
    }
    Done(kCommandPrepareFrames);
}

void ScreenFeature::RunExport(KeyboardController& controller) {
    const std::shared_ptr<const KeyboardLayout> layout = controller.Layout();
    std::string path;
    std::vector<std::string> files;
    std::vector<int> delays;
    {
        std::lock_guard lock(m_mutex);
        path = m_exportPath;
        files = m_exportFrames;
        delays = m_exportDelays;
        m_exportDone = false;
    }
    std::vector<RgbaImage> frames;
    for (const std::string& file : files) {
        RgbaImage frame;
        // A frame that cannot be read is written black rather than dropped, so delays stay
        // with their frames. Each is kept at the size it is written at, never larger.
        if (layout) {
            DecodeFittedPictureFile(file, layout->screenWidth, layout->screenHeight, frame,
                                    nullptr);
        }
        frames.push_back(std::move(frame));
    }
    bool written = false;
    if (layout && !frames.empty()) {
        written =
            EncodeGifFile(path, frames, delays, layout->screenWidth, layout->screenHeight, nullptr);
    }
    {
        std::lock_guard lock(m_mutex);
        m_exportDone = written;
    }
    if (!written) {
        controller.FailCommand(ScreenMessage(kTextGifNotWritten, path));
    }
    Done(kCommandSaveScreenGif);
}

void ScreenFeature::LoadPage(KeyboardController& controller) {
    const std::shared_ptr<const KeyboardLayout> layout = controller.Layout();
    if (!layout) {
        return;
    }
    // The keyboard's clock is set once by the pages' loading, right after this page.
    ImportDefaultAnimations(controller.Database(), Paths(*layout), layout->screenFrameCount,
                            Geometry(*layout));
}

void RegisterScreenFeature(KeyboardController& controller, ScreenFeatureOptions options) {
    auto feature = std::make_shared<ScreenFeature>(std::move(options));
    {
        FeatureTable& table = Features();
        std::lock_guard lock(table.mutex);
        for (auto it = table.features.begin(); it != table.features.end();) {
            it = it->second.expired() ? table.features.erase(it) : std::next(it);
        }
        table.features[&controller] = feature;
    }
    controller.SetCommandHandler(kCommandSaveScreenGif,
                                 [feature](KeyboardController& c) { feature->RunExport(c); });
    controller.SetCommandHandler(kCommandScreenLayer,
                                 [feature](KeyboardController& c) { feature->RunSelectSlot(c); });
    controller.SetCommandHandler(kCommandUploadScreen,
                                 [feature](KeyboardController& c) { feature->RunUpload(c); });
    controller.SetCommandHandler(kCommandPrepareFrames,
                                 [feature](KeyboardController& c) { feature->RunImport(c); });
    controller.SetCommandHandler(kCommandSetClock,
                                 [feature](KeyboardController& c) { feature->RunClock(c); });
    controller.SetCommandHandler(
        kCommandScreenSlot, [feature](KeyboardController& c) { feature->RunDefaultPicture(c); });
    controller.SetPageLoader(kFeatureScreen,
                             [feature](KeyboardController& c) { feature->LoadPage(c); });
}

std::shared_ptr<ScreenFeature> ScreenFeatureOf(const KeyboardController& controller) {
    FeatureTable& table = Features();
    std::lock_guard lock(table.mutex);
    const auto found = table.features.find(&controller);
    return found == table.features.end() ? nullptr : found->second.lock();
}

}  // namespace zephyl
