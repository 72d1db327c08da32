// SPDX-License-Identifier: GPL-2.0-or-later
#include "screen/ScreenLibrary.h"

#include "screen/GifCodec.h"
#include "screen/Picture.h"
#include "store/ProfileDatabase.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace zephyl {
namespace {

namespace fs = std::filesystem;

bool CopyOver(const std::string& from, const std::string& to) {
    std::error_code error;
    fs::create_directories(fs::path(to).parent_path(), error);
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
}

}  // namespace

std::string ScreenPaths::DefaultGif(int index) const {
    return resourceFolder + "gif/" + device + "/" + std::to_string(index) + ".gif";
}

std::string ScreenPaths::LibraryFolder() const {
    return dataFolder + "led/" + device + "/";
}

std::string ScreenPaths::AnimationFolder(const std::string& dir) const {
    return LibraryFolder() + dir + "/";
}

std::string ScreenPaths::SlotFolder() const {
    return dataFolder + "default_led/" + device + "/";
}

std::string ScreenPaths::SlotPicture(int slot) const {
    return SlotFolder() + std::to_string(slot) + ".png";
}

std::string ScreenPaths::DefaultPicture() const {
    return skinFolder + "loadgif.png";
}

std::string ScreenTimeStamp() {
    // Names made in the same millisecond would collide; later ones move on to the next.
    static std::mutex mutex;
    static long long last = 0;
    std::lock_guard lock(mutex);
    long long now = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::system_clock::now().time_since_epoch())
                        .count();
    now = std::max(now, last + 1);
    last = now;
    const std::time_t seconds = static_cast<std::time_t>(now / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(now % 1000));
    return text;
}

int ClampScreenDelay(int delayMs) {
    return std::clamp(delayMs, kScreenDelayMinMs, kScreenDelayMaxMs);
}

namespace {

/// Splits a GIF into a new animation; its row id (0 when refused) and its frame count.
int ImportGif(ProfileDatabase& database, const ScreenPaths& paths, const std::string& gifPath,
              const ScreenGeometry& geometry, int& frames, std::string* error) {
    const std::string stamp = ScreenTimeStamp();
    const std::string folder = paths.AnimationFolder(stamp);
    std::error_code ignored;
    fs::create_directories(folder, ignored);
    std::vector<int> delays;
    frames = LoadGIFImageFile(gifPath, folder, delays, error, geometry.width, geometry.height);
    if (frames <= 0) {
        fs::remove_all(folder, ignored);
        return 0;
    }
    const int ledId = database.AddScreenLayer(kScreenProfile, stamp, stamp, "0.png");
    if (ledId <= 0) {
        fs::remove_all(folder, ignored);
        if (error) {
            *error = "the library cannot take another animation";
        }
        return 0;
    }
    database.SetScreenLayerFrameCount(ledId, frames);
    std::vector<ScreenFrame> rows;
    for (int k = 0; k < frames; ++k) {
        const std::string name = std::to_string(k) + ".png";
        const std::size_t at = static_cast<std::size_t>(k);
        const int delay = at < delays.size() ? delays[at] : 0;
        // Stored as the keyboard will play it, so the editor shows what is sent.
        rows.push_back(ScreenFrame{
            0, ledId, name, ScreenDelayUsed(delay > 0 ? delay : kGifDefaultDelayMs), k, name});
    }
    database.AddScreenFrames(rows);
    return ledId;
}

/// Adds empty slot rows until slot `slot` has one; rows are numbered slot + 1 in order.
void EnsureSlotRow(ProfileDatabase& database, int slot) {
    std::vector<TftImage> slots;
    database.ListTftImages(kScreenProfile, slots);
    int highest = 0;
    for (const TftImage& row : slots) {
        highest = std::max(highest, row.tft_id);
    }
    while (highest < slot + 1) {
        const int id = database.AddTftImage(TftImage{0, kScreenProfile, 0, std::string()});
        if (id <= highest) {
            return;
        }
        highest = id;
    }
}

}  // namespace

int ImportDefaultAnimations(ProfileDatabase& database, const ScreenPaths& paths, int slotCount,
                            const ScreenGeometry& geometry) {
    std::vector<ScreenLayer> layers;
    if (database.ListScreenLayers(kScreenProfile, layers) > 0) {
        return 0;
    }
    std::vector<TftImage> slots;
    const bool noSlots = database.ListTftImages(kScreenProfile, slots) == 0;
    int imported = 0;
    for (int i = 0; i < slotCount; ++i) {
        std::error_code ignored;
        int frames = 0;
        const bool exists = fs::is_regular_file(paths.DefaultGif(i), ignored);
        const int ledId =
            exists ? ImportGif(database, paths, paths.DefaultGif(i), geometry, frames, nullptr) : 0;
        imported += ledId > 0 ? 1 : 0;
        if (!noSlots) {
            continue;
        }
        // Every slot gets its row, so row i + 1 is slot i even when a default is missing.
        if (ledId > 0) {
            ScreenLayer layer;
            database.GetScreenLayer(ledId, layer);
            const std::string picture = paths.SlotPicture(i);
            CopyOver(paths.AnimationFolder(layer.file_dir) + "0.png", picture);
            database.AddTftImage(TftImage{0, kScreenProfile, frames, picture});
        } else {
            database.AddTftImage(TftImage{0, kScreenProfile, 0, std::string()});
        }
    }
    return imported;
}

int ImportGifAnimation(ProfileDatabase& database, const ScreenPaths& paths,
                       const std::string& gifPath, std::string* error,
                       const ScreenGeometry& geometry) {
    int frames = 0;
    return ImportGif(database, paths, gifPath, geometry, frames, error);
}

int CreateAnimation(ProfileDatabase& database, const ScreenPaths& paths) {
    const std::string stamp = ScreenTimeStamp();
    std::error_code ignored;
    fs::create_directories(paths.AnimationFolder(stamp), ignored);
    const int ledId = database.AddScreenLayer(kScreenProfile, stamp, stamp, stamp);
    if (ledId <= 0) {
        fs::remove_all(paths.AnimationFolder(stamp), ignored);
    }
    return std::max(0, ledId);
}

void DeleteAnimation(ProfileDatabase& database, const ScreenPaths& paths, int ledId) {
    ScreenLayer layer;
    if (database.GetScreenLayer(ledId, layer) && !layer.file_dir.empty()) {
        std::error_code ignored;
        fs::remove_all(paths.AnimationFolder(layer.file_dir), ignored);
    }
    database.DeleteScreenFrames(ledId);
    database.DeleteScreenLayer(ledId);
}

std::string AddPictureFile(const ScreenPaths& paths, const ScreenLayer& layer,
                           const std::string& source, std::string* error) {
    // Decoded whole to be sure it is a picture, at a size that costs next to nothing to keep.
    constexpr int kProbeSide = 16;
    RgbaImage probe;
    if (!DecodeFittedPictureFile(source, kProbeSide, kProbeSide, probe, error)) {
        return {};
    }
    const std::string name = ScreenTimeStamp() + ".png";
    // The file is copied as it is; readers go by its content, not by the name's ending.
    if (!CopyOver(source, paths.AnimationFolder(layer.file_dir) + name)) {
        if (error) {
            *error = "cannot copy " + source;
        }
        return {};
    }
    return name;
}

bool SaveAnimationFrames(ProfileDatabase& database, const ScreenPaths& paths, int ledId,
                         const std::vector<LibraryFrame>& frames) {
    ScreenLayer layer;
    if (!database.GetScreenLayer(ledId, layer)) {
        return false;
    }
    const std::string folder = paths.AnimationFolder(layer.file_dir);
    std::vector<ScreenFrame> rows;
    for (std::size_t k = 0; k < frames.size(); ++k) {
        const LibraryFrame& frame = frames[k];
        const std::string file = folder + frame.name;
        if (!frame.editFile.empty() && frame.editFile != file) {
            CopyOver(frame.editFile, file);
        }
        rows.push_back(
            ScreenFrame{0, ledId, frame.name, frame.delayMs, static_cast<int>(k), frame.name});
    }
    database.DeleteScreenFrames(ledId);
    database.AddScreenFrames(rows);
    database.SetScreenLayerFrameCount(ledId, static_cast<int>(rows.size()));
    database.SetScreenLayerFirstFile(ledId, rows.empty() ? std::string() : rows.front().name);
    return true;
}

void UpdateSlotPicture(ProfileDatabase& database, const ScreenPaths& paths, int slot,
                       const std::string& picture, int frames) {
    const std::string target = paths.SlotPicture(slot);
    if (picture != target) {
        CopyOver(picture, target);
    }
    EnsureSlotRow(database, slot);
    database.UpdateTftImage(TftImage{slot + 1, kScreenProfile, frames, target});
}

ScreenImage BuildAnimationImage(ProfileDatabase& database, const ScreenPaths& paths,
                                const ScreenGeometry& geometry, int ledId, std::size_t unit,
                                const std::function<void(const std::string&, int)>& firstFrame) {
    std::vector<ScreenFrame> rows;
    database.ListScreenFrames(ledId, rows);
    ScreenLayer layer;
    database.GetScreenLayer(ledId, layer);
    std::vector<int> delays;
    for (const ScreenFrame& row : rows) {
        delays.push_back(row.delay_time);
    }
    ScreenImage image = MakeScreenImage(geometry, delays, unit);
    const std::string folder = paths.AnimationFolder(layer.file_dir);
    for (int k = 0; k < image.frames; ++k) {
        const std::string file = folder + rows[static_cast<std::size_t>(k)].file_name;
        GetImageRGB565Data(file, image.Frame(geometry, k), geometry.width, geometry.height);
        if (k == 0 && firstFrame) {
            firstFrame(file, image.frames);
        }
    }
    return image;
}

bool BuildFileImage(const std::string& path, const ScreenGeometry& geometry, std::size_t unit,
                    int pictureDelayMs, ScreenImage& image, std::string* error,
                    RgbaImage* firstFrame) {
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(path, bytes, error)) {
        return false;
    }
    ScreenImage built;
    RgbaImage fitted;
    if (SniffPictureFormat(bytes) == PictureFormat::kGif) {
        // Each frame goes into the image as soon as it is drawn; frames past the limit are
        // never drawn at all.
        GifFrameSink sink;
        sink.mostFrames = std::max(1, geometry.maxFrames);
        sink.begin = [&](int, int, const std::vector<int>& delaysMs) {
            built = MakeScreenImage(geometry, delaysMs, unit);
        };
        sink.frame = [&](int k, const RgbaImage& canvas) {
            if (k >= built.frames) {
                return false;
            }
            if (k == 0 && firstFrame) {
                fitted = FitPicture(canvas, geometry.width, geometry.height);
                ToRgb565(fitted, built.Frame(geometry, k));
            } else {
                FitToRgb565(canvas, geometry.width, geometry.height, built.Frame(geometry, k));
            }
            return k + 1 < built.frames;
        };
        if (!DecodeGifFrames(bytes, sink, error)) {
            return false;
        }
    } else {
        if (!DecodeFittedPicture(bytes, geometry.width, geometry.height, fitted, error)) {
            return false;
        }
        const int delays[] = {pictureDelayMs};
        built = MakeScreenImage(geometry, delays, unit);
        if (built.frames > 0) {
            ToRgb565(fitted, built.Frame(geometry, 0));
        }
    }
    image = std::move(built);
    if (firstFrame) {
        *firstFrame = std::move(fitted);
    }
    return true;
}

}  // namespace zephyl
