// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "store/ProfileRecords.h"
#include "store/SQLiteDB.h"

#include <mutex>
#include <string>
#include <vector>

namespace zephyl {

/// How a ProfileDatabase opens its files. The defaults are what the program uses; tests and
/// benchmarks change them.
struct DatabaseOptions {
    JournalSettings journal = JournalSettings::kWalNormal;
    /// Statements that give a new file its tables; empty means the program's own schema.
    std::vector<std::string> schema;
};

/// The profile database of the selected keyboard model: one SQLite file per model below the
/// data folder, and one access operation per statement.
///
/// Every operation takes the object's lock for its whole run (batch writes for their whole
/// transaction), so the window thread and the worker may call it at the same time. The lock is
/// recursive, so an operation may be called while the same thread holds it.
///
/// Without a usable connection every operation fails: false, id 0, count 0, an empty text, an
/// emptied list. Ids are the new row's id after a successful insert, 0 after a failed one. List
/// operations empty the caller's list first and return the number of rows appended.
class ProfileDatabase {
public:
    explicit ProfileDatabase(DatabaseOptions options = {});

    /// Several operations stored together or not at all (an imported file): no other thread
    /// reaches the database meanwhile; rolled back unless committed.
    class Batch {
    public:
        explicit Batch(ProfileDatabase& database);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        bool Commit();

    private:
        ProfileDatabase& m_database;
        std::unique_lock<std::recursive_mutex> m_lock;
        bool m_open = false;
    };
    ~ProfileDatabase();
    ProfileDatabase(const ProfileDatabase&) = delete;
    ProfileDatabase& operator=(const ProfileDatabase&) = delete;

    /// "<data folder>db/<model name>_datav2.db", with the characters that could lead out of
    /// the db folder ('/', NUL, control characters, a leading '.') replaced by '_'.
    static std::string ModelDatabasePath(const std::string& dataFolder,
                                         const std::string& modelName);

    /// Opens the model's file, creating it with its tables when it does not exist. A connection
    /// to another file is closed first; one to the same file stays in use. A file that exists
    /// but cannot be used (not a database, damaged, write-protected) is left untouched and the
    /// result is false.
    bool OpenModelDatabase(const std::string& dataFolder, const std::string& modelName);
    /// Creates the file of the last path given and its tables, all in one transaction. When any
    /// statement fails, a file this call created is removed again, so the next open starts over.
    bool CreateDatabase();
    /// Why the last open of a model's database failed, for the user (the file's path and the
    /// reason); empty when it opened. A file that is not ours is left untouched.
    std::string OpenProblem() const;
    void CloseDatabase();
    /// Deletes the model's file with its journal files; a connection to it is closed first.
    void DeleteModelDatabase(const std::string& dataFolder, const std::string& modelName);

    /// The result of the last open or creation; true while the connection is usable.
    bool IsOpened() const;
    /// Full path of the file last opened.
    std::string Path() const;
    /// The answer of "PRAGMA <name>" on the open connection, empty when there is none. For
    /// diagnostics: the journal mode and synchronous level in force.
    std::string PragmaValue(const std::string& name);

    // t_config_data. Settings belong to profile 1.
    /// Writes the 23 default settings, in their fixed order.
    void InsertDefaultConfig();
    /// Changes an existing row only; true also when no row matched.
    bool SetConfigValue(int profile, const std::string& key, const std::string& value);
    bool GetConfigValue(int profile, const std::string& key, std::string& value);

    // t_profile_data
    int AddProfile(const std::string& name, const std::string& app);
    bool DeleteProfile(int id);
    bool RenameProfile(int id, const std::string& name);
    /// The programs the profile is bound to, in the app column's stored form (see
    /// appprofiles/AppBindings.h). True also when no row matched.
    bool SetProfileApp(int id, const std::string& app);
    bool GetProfileName(int id, std::string& name);
    int ListProfiles(std::vector<Profile>& list);
    /// Status 1 for profile 1, 0 for every other profile.
    bool MarkFirstProfileActive();
    /// Status 1 for `profile`, 0 for every other one, in one statement: the profile whose keys
    /// the keyboard holds is the one shown at the next start.
    bool MarkProfileActive(int profile);
    /// The first profile with status 1, 0 when none.
    int GetActiveProfile();
    /// Lists the profiles; a database without any first gets its first filling, in one
    /// transaction: profiles "<defaultName> 1", "<defaultName> 2", "<defaultName> 3", the
    /// default settings, and profile 1 marked active.
    int PrepareProfiles(const std::string& defaultName, std::vector<Profile>& list);

    // t_key_macro_data
    /// Replaces the assignment of (profile, layer, key). Key code 0 changes nothing; a record
    /// whose macro_value and macro_value2 are both 0 only removes the key's row (the key keeps
    /// its own function). Returns the new row's id, otherwise 0.
    int SaveKeyAssignment(const KeyAssignment& record);
    bool GetKeyAssignment(int profile, int layer, int key, KeyAssignment& record);
    int ListKeyAssignments(int profile, int layer, std::vector<KeyAssignment>& list);
    void DeleteProfileAssignments(int profile);

    // t_key_otherdata
    int AddHostAction(const std::string& desc, const std::string& param, int type);
    /// Always true; the outputs are written only when the row exists.
    bool GetHostAction(int id, std::string& desc, std::string& param, int& type);

    // t_macro_data and t_macrorecord
    int AddMacro(const std::string& name);
    int AddMacroWithSettings(const Macro& macro);
    bool RenameMacro(int id, const std::string& name);
    bool UpdateMacroSettings(const Macro& macro);
    /// Also removes the macro's steps and every key assignment (kind 3) that plays it.
    bool DeleteMacro(int id);
    bool GetMacro(int id, Macro& macro);
    int ListMacros(std::vector<Macro>& list);
    int AddMacroStep(const MacroStep& step);
    void AddMacroSteps(const std::vector<MacroStep>& list);
    /// Sorted by record_index.
    int ListMacroSteps(int id, std::vector<MacroStep>& list);
    bool DeleteMacroSteps(int id);
    int CountAllMacroSteps();
    int CountMacroSteps(int id);

    // t_light_data, rows of profile 1
    int CountLightEffects();
    int AddLightEffect(const LightEffect& effect);
    bool UpdateLightEffect(int mode, const LightEffect& effect);
    bool SetActiveLightEffect(int mode);
    int GetActiveLightEffect(int profile);
    bool GetLightEffect(int mode, LightEffect& effect);
    int ListLightEffects(int profile, std::vector<LightEffect>& list);

    // t_userlight_data and t_userlightrgb_data
    int CountUserLights();
    int AddUserLight(int profile, const std::string& name);
    bool DeleteUserLight(int id);
    bool RenameUserLight(int id, const std::string& name);
    int ListUserLights(std::vector<UserLight>& list);
    /// Returns the number of rows given.
    int AddUserLightKeys(const std::vector<UserLightKey>& list);
    bool DeleteUserLightKeys(int id);
    int ListUserLightKeys(int id, std::vector<UserLightKey>& list);

    // t_customlight_data and t_customrgb_data
    int AddCustomLight(int profile, const std::string& name);
    bool SetCustomLightSpeed(int id, int speed);
    /// Always true; `speed` is written only when the set exists.
    bool GetCustomLightSpeed(int id, int& speed);
    /// Also removes the set's key rows.
    bool DeleteCustomLight(int id);
    /// Records hold customlight_id, profile and name only.
    int ListCustomLights(int profile, std::vector<CustomLight>& list);
    /// Replaces the key's row; light_mode 0 only removes it (returns 0).
    int SaveCustomLightKey(const CustomLightKey& row);
    /// Replaces every row's key, whatever its light_mode. Returns the number of rows given.
    int SaveCustomLightKeys(const std::vector<CustomLightKey>& list);
    int ListCustomLightKeys(int id, std::vector<CustomLightKey>& list);
    bool RenameCustomLight(int id, const std::string& name);

    // t_musiclayer_data, rows of profile 1
    int CountMusicLayers();
    int AddMusicLayer(const std::string& name, int foremode);
    bool DeleteMusicLayer(int id);
    bool RenameMusicLayer(int id, const std::string& name);
    /// Records hold layer_id, profile and name only.
    int ListMusicLayers(std::vector<MusicLayer>& list);
    /// Every column but sel.
    bool GetMusicLayer(int id, MusicLayer& layer);
    bool UpdateMusicLayer(const MusicLayer& layer);
    bool SelectMusicLayer(int id);
    int GetSelectedMusicLayer();

    // t_ledlayer_data, t_ledframe_data and t_tftscreen_data
    int AddScreenLayer(int profile, const std::string& name, const std::string& dir,
                       const std::string& firstFile);
    bool SetScreenLayerFrameCount(int id, int count);
    bool SetScreenLayerFirstFile(int id, const std::string& file);
    bool DeleteScreenLayer(int id);
    bool GetScreenLayer(int id, ScreenLayer& layer);
    int ListScreenLayers(int profile, std::vector<ScreenLayer>& list);
    void DeleteAllScreenLayers();
    /// Returns the number of frames given.
    int AddScreenFrames(const std::vector<ScreenFrame>& list);
    bool DeleteScreenFrames(int id);
    /// Sorted by frame_index.
    int ListScreenFrames(int id, std::vector<ScreenFrame>& list);
    int CountScreenFrames(int id);
    int AddTftImage(const TftImage& image);
    bool UpdateTftImage(const TftImage& image);
    int ListTftImages(int profile, std::vector<TftImage>& list);
    /// Every slot row; the rows added next are numbered from 1 again.
    void DeleteAllTftImages();

private:
    bool OpenExisting();
    /// Looks at an existing file read-only before it is used: a database holding our tables or
    /// no table at all. Sets m_openProblem otherwise.
    bool ExistingFileIsOurs();
    bool RunSchema();
    void CloseConnection();

    // Statement helpers, defined in ProfileDatabaseAccess.h.
    template <typename... Args>
    bool Run(const char* sql, const Args&... args);
    template <typename... Args>
    int Insert(const char* sql, const Args&... args);
    template <typename... Args>
    int QueryInt(const char* sql, const Args&... args);
    template <typename Record, typename Reader, typename... Args>
    bool ReadOne(Record& record, Reader read, const char* sql, const Args&... args);
    template <typename Record, typename Reader, typename... Args>
    int List(std::vector<Record>& list, Reader read, const char* sql, const Args&... args);

    mutable std::recursive_mutex m_lock;
    SQLiteDB m_db;
    std::vector<std::string> m_schema;
    std::string m_path;
    std::string m_openProblem;
    bool m_opened = false;
};

/// The process-wide database, created on first use and closed at process exit.
ProfileDatabase& DatabaseInstance();

}  // namespace zephyl
