// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The animation library on disk and in the profile database, and the screen images built from
// it. Runs on the worker and in zephylctl; no Qt.

#include "protocol/ScreenReports.h"
#include "screen/Picture.h"
#include "store/ProfileRecords.h"

#include <functional>
#include <string>
#include <vector>

namespace zephyl {

class ProfileDatabase;

/// Screen rows are kept under this profile whatever profile is current.
inline constexpr int kScreenProfile = 1;
/// A picture added to an animation shows this long.
inline constexpr int kAddedPictureDelayMs = 50;
/// The delay editor's range.
inline constexpr int kScreenDelayMinMs = 30;
inline constexpr int kScreenDelayMaxMs = kLongestScreenDelayMs;
/// Delay code of the default picture (20 ms).
inline constexpr int kDefaultPictureDelayMs = 20;

/// Where the screen's files of one model live. Folders end with '/'.
struct ScreenPaths {
    std::string dataFolder;
    std::string resourceFolder;
    std::string skinFolder;
    std::string device;  ///< the model's name, made safe as a folder name

    std::string DefaultGif(int index) const;
    std::string LibraryFolder() const;
    std::string AnimationFolder(const std::string& dir) const;
    std::string SlotFolder() const;
    std::string SlotPicture(int slot) const;
    std::string DefaultPicture() const;
};

/// "%04d%02d%02d%02d%02d%02d%03d" of local time; never the same twice in one process.
std::string ScreenTimeStamp();

/// Clamps a delay typed by the user into 30..500 ms.
int ClampScreenDelay(int delayMs);

/// When the library of the database is empty: imports the default GIFs that exist as
/// animations and, when there were no slot rows either, gives slot i the first frame of default
/// i. Returns the number of animations imported.
/// Frames larger than `geometry`'s screen are stored fitted to it; a width of 0 keeps them whole.
int ImportDefaultAnimations(ProfileDatabase& database, const ScreenPaths& paths, int slotCount,
                            const ScreenGeometry& geometry = ScreenGeometry{0, 0});

/// Imports a GIF as a new animation, frames larger than the screen fitted to it. 0, with the
/// library as it was, when it cannot be read.
int ImportGifAnimation(ProfileDatabase& database, const ScreenPaths& paths,
                       const std::string& gifPath, std::string* error = nullptr,
                       const ScreenGeometry& geometry = ScreenGeometry{0, 0});

/// A new empty animation; its row id, 0 when the row could not be added.
int CreateAnimation(ProfileDatabase& database, const ScreenPaths& paths);

/// Removes the animation's folder, frames and row.
void DeleteAnimation(ProfileDatabase& database, const ScreenPaths& paths, int ledId);

/// Copies a picture into the animation's folder under a new time-stamp name and returns that
/// name; empty, with nothing copied, when the file is not a picture.
std::string AddPictureFile(const ScreenPaths& paths, const ScreenLayer& layer,
                           const std::string& source, std::string* error = nullptr);

/// A frame as the frame strip holds it.
struct LibraryFrame {
    std::string name;  ///< file name inside the animation folder
    int delayMs = 0;
    std::string
        editFile;  ///< edited picture to keep, empty or equal to the frame's own file when none
};

/// Save: edited pictures over their frames, the frame rows replaced in strip order, the row's
/// frame count and first file updated.
bool SaveAnimationFrames(ProfileDatabase& database, const ScreenPaths& paths, int ledId,
                         const std::vector<LibraryFrame>& frames);

/// Copies `picture` as slot `slot`'s picture and records `frames` for it.
void UpdateSlotPicture(ProfileDatabase& database, const ScreenPaths& paths, int slot,
                       const std::string& picture, int frames);

/// The image of animation `ledId`: at most maxFrames frames in frame_index order. Calls
/// `firstFrame` with frame 0's picture and the frame count once frame 0 is prepared. A frame
/// whose picture cannot be read stays 0xFF.
ScreenImage BuildAnimationImage(
    ProfileDatabase& database, const ScreenPaths& paths, const ScreenGeometry& geometry, int ledId,
    std::size_t unit, const std::function<void(const std::string&, int)>& firstFrame = {});

/// The image of one picture file, or of every frame of a GIF with its delays; `pictureDelayMs`
/// for a still picture. The file is read and decoded once; `firstFrame`, when given, gets frame
/// 0 as the screen shows it. False, with no image, when the file is not a picture.
bool BuildFileImage(const std::string& path, const ScreenGeometry& geometry, std::size_t unit,
                    int pictureDelayMs, ScreenImage& image, std::string* error = nullptr,
                    RgbaImage* firstFrame = nullptr);

}  // namespace zephyl
