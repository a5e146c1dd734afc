#include "app/ServiceLinks.h"

#include "net/ServiceAddress.h"
#include "net/TextConvert.h"

std::wstring ServicePageUrl(const std::wstring& target)
{
    if (target.find(L"://") != std::wstring::npos)
        return target;
    std::wstring url = L"http://" + Utf8ToWide(ServiceHost());
    const long port = ServicePort();
    if (port != 80 && port > 0)
        url += L":" + std::to_wstring(port);
    if (target.empty() || target.front() != L'/')
        url += L'/';
    return url + target;
}
