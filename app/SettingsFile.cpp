#include "app/SettingsFile.h"

#include "app/LocalPaths.h"
#include "net/TextConvert.h"
#include "platform/AutoStart.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/SecretStore.h"

#include <atomic>

namespace {

// The buffer the text reads were defined with.
constexpr std::size_t kTextBuffer = 260;

// Once per run, not per save: the desktop has no Secret Service.
void NoteFileFallback()
{
    static std::atomic<bool> noted { false };
    if (!noted.exchange(true))
        DebugLogA("no Secret Service: the remembered password is kept in config.ini\n");
}

} // namespace

std::string SettingsTextOf(const std::wstring& value)
{
    return WideToAnsiReplacing(value);
}

std::wstring WideOfSettingsText(const std::string& value)
{
    return AnsiToWide(value);
}

SettingsFile::SettingsFile(std::string path)
    : m_path(std::move(path))
{
}

SettingsFile SettingsFile::OfLocalPaths()
{
    return SettingsFile(GetLocalPaths().settingsFile.narrow);
}

bool SettingsFile::Exists() const
{
    return PathExists(m_path);
}

int SettingsFile::ReadInt(const char* key, int defaultValue) const
{
    return IniReadInt(kSection, key, defaultValue, m_path);
}

std::wstring SettingsFile::ReadText(const char* key) const
{
    return WideOfSettingsText(IniReadString(kSection, key, "", m_path, kTextBuffer));
}

void SettingsFile::WriteText(const char* key, const std::wstring& value) const
{
    IniWriteString(kSection, key, SettingsTextOf(value), m_path);
}

void SettingsFile::WriteFlag(const char* key, bool on) const
{
    IniWriteString(kSection, key, on ? "1" : "0", m_path);
}

void SettingsFile::WriteFirstRunDefaults() const
{
    WriteFlag(kAutoLogin, false);
    WriteFlag(kRememberPwd, true);
    WriteFlag(kHideInWin, true);
}

SettingsFile::RememberedLogin SettingsFile::ReadRememberedLogin() const
{
    RememberedLogin login;
    if (ReadInt(kRememberPwd, 0) == 0)
        return login;
    login.remembered = true;
    login.name = ReadText(kName);
    login.password = ReadText(kPwd);
    if (!SecretStoreEnabled() || login.name.empty())
        return login;
    const std::string user = WideToUtf8(login.name);
    if (!login.password.empty()) {
        // A password still in the file (an earlier version, or a run
        // without the service) moves into the Secret Service.
        if (StorePassword(user, WideToUtf8(login.password)) == SecretResult::Ok)
            WriteText(kPwd, L"");
        else
            NoteFileFallback();
        return login;
    }
    // A locked or vanished service leaves the entry where it is: the name
    // stays remembered and the password comes back once the service does.
    const SecretLookup stored = LookupStoredPassword(user);
    if (stored.result == SecretResult::Ok)
        login.password = Utf8ToWide(stored.password);
    return login;
}

void SettingsFile::SaveRememberedLogin(const std::wstring& name, const std::wstring& password) const
{
    const std::wstring previous = ReadText(kName);
    WriteFlag(kRememberPwd, true);
    WriteText(kName, name);
    if (!SecretStoreEnabled()) {
        WriteText(kPwd, password);
        return;
    }
    if (!previous.empty() && previous != name)
        ClearStoredPassword(WideToUtf8(previous));
    const SecretResult stored
        = name.empty() ? SecretResult::Unavailable : StorePassword(WideToUtf8(name), WideToUtf8(password));
    if (stored == SecretResult::Ok) {
        WriteText(kPwd, L"");
        return;
    }
    NoteFileFallback();
    WriteText(kPwd, password);
}

void SettingsFile::ClearRememberedLogin() const
{
    const std::wstring previous = ReadText(kName);
    WriteFlag(kRememberPwd, false);
    WriteText(kName, L"");
    WriteText(kPwd, L"");
    if (SecretStoreEnabled() && !previous.empty())
        ClearStoredPassword(WideToUtf8(previous));
}

bool SettingsFile::AutoLogin() const
{
    return ReadInt(kAutoLogin, 0) != 0;
}

void SettingsFile::SetAutoLogin(bool on) const
{
    WriteFlag(kAutoLogin, on);
}

bool SettingsFile::HideInTrayOnClose() const
{
    return ReadInt(kHideInWin, 1) != 0;
}

int SettingsFile::AutoStartAtStartup() const
{
    return ReadInt(kAutoStart, -1);
}

SettingsFile::TrayChecks SettingsFile::ReadTrayChecks() const
{
    TrayChecks checks;
    checks.autoStart = ReadInt(kAutoStart, 0) != 0;
    checks.autoLogin = ReadInt(kAutoLogin, 0) != 0;
    checks.hideInTray = ReadInt(kHideInWin, 1) != 0;
    return checks;
}

bool SettingsFile::Toggle(const char* key) const
{
    bool now = ReadInt(key, 0) == 0;
    WriteFlag(key, now);
    return now;
}

bool SettingsFile::ToggleAutoStart() const
{
    bool now = Toggle(kAutoStart);
    SetAutoStart(kClientFolderName, now);
    return now;
}

bool SettingsFile::ToggleAutoLogin() const
{
    return Toggle(kAutoLogin);
}

bool SettingsFile::ToggleHideInTray() const
{
    return Toggle(kHideInWin);
}
