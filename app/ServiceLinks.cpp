#include "app/ServiceLinks.h"

#include "net/ServiceAddress.h"
#include "net/TextConvert.h"

std::wstring ServicePageUrl(const std::wstring& target)
{
    if (target.find(L"://") != std::wstring::npos)
        return target;
    // The pages are the service's own: in a build for TLS they are opened
    // over TLS too, never in the clear.
    const bool tls = CurrentServiceTransport().tls;
    std::wstring url = (tls ? L"https://" : L"http://") + Utf8ToWide(ServiceHost());
    const long port = ServicePort();
    if (port != (tls ? 443 : 80) && port > 0)
        url += L":" + std::to_wstring(port);
    if (target.empty() || target.front() != L'/')
        url += L'/';
    return url + target;
}
