#pragma once

#include <string>

// The settings file "config.ini", section "Login". No cache: every read goes
// to the file and every write straight to it. Text values are kept in the
// ANSI code page (936): a character it cannot hold comes back as '?'.
// Failures to write are not reported, as none of the callers could act on
// them; a missing or unreadable file reads as the caller's defaults.
class SettingsFile {
public:
    static constexpr const char* kSection = "Login";
    static constexpr const char* kRememberPwd = "remember_pwd";
    static constexpr const char* kAutoLogin = "auto_login";
    static constexpr const char* kHideInWin = "hide_inwin";
    static constexpr const char* kAutoStart = "auto_start";
    static constexpr const char* kName = "name";
    static constexpr const char* kPwd = "pwd";

    // The file at an 8-bit path (normally GetLocalPaths().settingsFile).
    explicit SettingsFile(std::string path);
    // The file of the process-wide local paths.
    static SettingsFile OfLocalPaths();

    const std::string& Path() const { return m_path; }
    bool Exists() const;

    // The raw operations with the caller's default, as each call site needs.
    int ReadInt(const char* key, int defaultValue) const;
    std::wstring ReadText(const char* key) const; // at most 259 bytes of the stored text
    void WriteText(const char* key, const std::wstring& value) const;
    void WriteFlag(const char* key, bool on) const;

    // First run: auto_login=0, remember_pwd=1, hide_inwin=1.
    void WriteFirstRunDefaults() const;

    // The remembered login, read at window initialisation: nothing unless
    // remember_pwd is set (default 0). With the Secret Service on
    // (EnableSecretStore) the password lives there under "service=korvana"
    // and "user=<name>" and pwd stays empty; a pwd found in the file moves
    // there. Without a Secret Service the file keeps it, as before (logged
    // once per run).
    struct RememberedLogin {
        bool remembered = false;
        std::wstring name;
        std::wstring password;
    };
    RememberedLogin ReadRememberedLogin() const;
    void SaveRememberedLogin(const std::wstring& name, const std::wstring& password) const; // remember_pwd=1
    void ClearRememberedLogin() const; // remember_pwd=0, name and pwd emptied

    bool AutoLogin() const; // default 0
    void SetAutoLogin(bool on) const;

    // The close decision's reading of hide_inwin: on unless it says 0.
    bool HideInTrayOnClose() const;

    // auto_start as start-up reads it: -1 when the key is missing.
    int AutoStartAtStartup() const;

    // The check marks of the tray menu.
    struct TrayChecks {
        bool autoStart = false; // auto_start != 0, default 0
        bool autoLogin = false; // auto_login != 0, default 0
        bool hideInTray = true; // hide_inwin != 0, default 1
    };
    TrayChecks ReadTrayChecks() const;

    // The tray toggles. Each reads its key with default 0 and writes the
    // other value; ToggleAutoStart also adds or removes the autostart entry.
    // They return the new state.
    bool ToggleAutoStart() const;
    bool ToggleAutoLogin() const;
    bool ToggleHideInTray() const;

private:
    bool Toggle(const char* key) const;

    std::string m_path;
};

// The conversion used for text values; one place to swap it.
std::string SettingsTextOf(const std::wstring& value);
std::wstring WideOfSettingsText(const std::string& value);
