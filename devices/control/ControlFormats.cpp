#include "devices/control/ControlFormats.h"

#include <cwchar>

#include "devices/DeviceMembers.h"
#include "net/ServiceAddress.h"

std::wstring PlayerCommandLine(const DeviceRecord& device, const std::wstring& userId)
{
    return L"ZorIzoriz.exe " + device.sn + L" " + device.ip + L" " + device.port + L" "
        + kPlaySessionPlaceholder + L" " + userId + L" 1 0 not 0 " + device.name;
}

std::wstring EscapeJsonText(const std::wstring& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (c == L'"' || c == L'\\') {
            out += L'\\';
            out += c;
        } else if (static_cast<unsigned>(c) < 0x20) {
            wchar_t escaped[8];
            std::swprintf(escaped, 8, L"\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

std::wstring PortNumber(const std::wstring& port)
{
    if (port.empty() || port.size() > 10)
        return L"0";
    for (wchar_t c : port) {
        if (c < L'0' || c > L'9')
            return L"0";
    }
    return port;
}

void AddString(std::wstring& out, const wchar_t* key, const std::wstring& value)
{
    out += L'"';
    out += key;
    out += L"\":\"";
    out += EscapeJsonText(value);
    out += L"\",";
}

} // namespace

std::wstring SyncDeviceList(
    const std::vector<const DeviceRecord*>& devices, const std::wstring& session, const std::wstring& userId)
{
    std::wstring out = L"[";
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const DeviceRecord& device = *devices[i];
        if (i != 0)
            out += L',';
        out += L'{';
        AddString(out, L"SessionID", session);
        AddString(out, L"UserID", userId);
        AddString(out, L"PadCode", device.sn);
        AddString(out, L"PadID", device.id);
        AddString(out, L"PadName", device.name);
        AddString(out, L"Ip", device.ip);
        out += L"\"Port\":" + PortNumber(device.port) + L"}";
    }
    out += L']';
    return out;
}

std::vector<EnvironmentVariable> HelperEnvironment()
{
    std::vector<EnvironmentVariable> variables;
    const ServiceTransport transport = CurrentServiceTransport();
    variables.push_back({ "KORVANA_PLAY_SCHEME", transport.tls ? "https" : "http" });
    variables.push_back({ "KORVANA_PLAY_CA", transport.tls ? transport.caFile : std::string() });
    return variables;
}
