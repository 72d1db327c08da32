// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

namespace zephyl {

// One record per table row, one field per column in column order, named after the column.
// Texts are UTF-8.

/// A row of t_profile_data.
struct Profile {
    int profile = 0;
    std::string name;
    int status = 0;  ///< 1 marks the profile that becomes current when the page loads
    std::string app;
    int type = 0;
};

/// A row of t_key_macro_data: what one key does in one layer of one profile.
struct KeyAssignment {
    int key_id = 0;
    int profile = 0;
    int fn_layer = 0;  ///< 0 base layer, 1 Fn layer
    int key_code = 0;
    int layout_value = 0;
    std::string layout_desc;
    int macro_type = 0;
    int macro_value = 0;
    int macro_value2 = 0;
    int macro_value3 = 0;
    std::string macro_desc;
};

/// A row of t_key_otherdata: an action the program performs when a key is reported.
struct HostAction {
    int macro_value = 0;
    std::string macro_desc;
    std::string param;
    int type = 0;
};

/// A row of t_macro_data.
struct Macro {
    int macro_id = 0;
    int play_times = 0;
    int delay_type = 0;
    int delay_time = 0;
    int link_count = 0;
    std::string name;
};

/// A row of t_macrorecord: one press, release or pause of a macro.
struct MacroStep {
    int record_id = 0;
    int macro_id = 0;
    int type = 0;
    int record_index = 0;
    std::string desc;
    int value = 0;
    int delay_time = 0;
};

/// A row of t_light_data: the settings of one built-in effect.
struct LightEffect {
    int light_id = 0;
    int profile = 0;
    std::string name;
    int mode = 0;
    int brightness = 0;
    int speed = 0;
    int direction = 0;
    int colorful = 0;
    int colorindex = 0;
    int color_value = 0;
    int config_func = 0;
    int reserved = 0;
    int status = 0;
};

/// A row of t_userlight_data.
struct UserLight {
    int userlight_id = 0;
    int profile = 0;
    std::string name;
    int speed = 0;
    int brightness = 0;
    int status = 0;
};

/// A row of t_userlightrgb_data: the colour of one key in a user lighting set.
struct UserLightKey {
    int userlightrgb_id = 0;
    int profile = 0;
    int userlight_id = 0;
    int key_code = 0;
    int key_rgb = 0;
};

/// A row of t_customlight_data.
struct CustomLight {
    int customlight_id = 0;
    int profile = 0;
    std::string name;
    int speed = 0;
    int brightness = 0;
    int status = 0;
};

/// A row of t_customrgb_data: the effect of one key in a custom lighting set.
struct CustomLightKey {
    int customrgb_id = 0;
    int customlight_id = 0;
    int keycode = 0;
    int rgbvalue = 0;
    int light_mode = 0;
    int colortype = 0;
    int light_type = 0;
};

/// A row of t_musiclayer_data.
struct MusicLayer {
    int layer_id = 0;
    int profile = 0;
    std::string name;
    int deviceindex = 0;
    int foremode = 0;
    int fore_amplitude = 0;
    int backmode = 0;
    int backb_right = 0;
    int sel = 0;
};

/// A row of t_ledlayer_data: one animation of the screen library.
struct ScreenLayer {
    int led_id = 0;
    int profile = 0;
    int type = 0;
    std::string name;
    int frame_size = 0;
    std::string file_dir;
    std::string first_file;
};

/// A row of t_ledframe_data: one frame of an animation.
struct ScreenFrame {
    int frame_id = 0;
    int led_id = 0;
    std::string name;
    int delay_time = 0;
    int frame_index = 0;
    std::string file_name;
};

/// A row of t_tftscreen_data: the picture of one slot of the colour screen.
struct TftImage {
    int tft_id = 0;
    int profile = 0;
    int frame_size = 0;
    std::string file_name;
};

}  // namespace zephyl
