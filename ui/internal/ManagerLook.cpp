// The manager's look: the window's attributes, its fonts and the
// scroll-bar style read from the skin's defaults.
#include <QFont>
#include <QStringList>

#include "ui/internal/Attr.h"
#include "ui/internal/ManagerImpl.h"

namespace DuiLib {

// The skin names Windows faces; map them onto installed CJK faces once.
void InstallFontSubstitutes()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    const QStringList cjk = { QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
        QStringLiteral("Noto Sans SC"), QStringLiteral("Droid Sans Fallback") };
    for (const char* face :
        { "微软雅黑", "Microsoft YaHei", "宋体", "SimSun", "黑体", "SimHei", "Tahoma", "Arial" })
        QFont::insertSubstitutions(QString::fromUtf8(face), cjk);
}

QFont CPaintManagerUI::Impl::Font(int id)
{
    auto it = fonts.find(id);
    if (it == fonts.end() && defaultFont >= 0)
        it = fonts.find(defaultFont);
    if (it == fonts.end()) {
        InstallFontSubstitutes();
        QFont f(QStringLiteral("微软雅黑"));
        f.setPixelSize(12);
        return f;
    }
    return it->second.font;
}

const ScrollBarStyle& CPaintManagerUI::Impl::ScrollStyle()
{
    if (scrollStyleVersion == defaultsVersion)
        return scrollStyle;
    scrollStyleVersion = defaultsVersion;
    scrollStyle = ScrollBarStyle {};
    std::wstring list = self->GetDefaultAttributeList(L"VScrollBar");
    if (list.empty())
        list = self->GetDefaultAttributeList(L"ScrollBar");
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    attr::ParseAttributeList(list, pairs);
    for (const auto& [k, v] : pairs) {
        int i = 0;
        std::uint32_t c = 0;
        if (k == L"width" && attr::ParseInt(v, i) && i >= 0 && i < 100)
            scrollStyle.width = i;
        else if (k == L"bkcolor" && attr::ParseColor(v, c))
            scrollStyle.bk = c;
        else if ((k == L"thumbcolor" || k == L"thumbnormalcolor") && attr::ParseColor(v, c))
            scrollStyle.thumb = c;
        else if (k == L"thumbhotcolor" && attr::ParseColor(v, c))
            scrollStyle.thumbHot = c;
        else if (k == L"thumbround" && attr::ParseInt(v, i))
            scrollStyle.round = i;
        else if (k == L"bknormalimage" || k == L"railnormalimage")
            scrollStyle.railImage = v;
        else if (k == L"thumbnormalimage")
            scrollStyle.thumbImage = v;
        else if (k == L"thumbhotimage")
            scrollStyle.thumbHotImage = v;
        else if (k == L"thumbpushedimage")
            scrollStyle.thumbPushedImage = v;
    }
    if (!scrollStyle.railImage.empty())
        scrollStyle.bk = 0;
    return scrollStyle;
}

bool CPaintManagerUI::Impl::WindowAttribute(const std::wstring& name, const std::wstring& value)
{
    bool ok = true;
    if (name == L"size") {
        SIZE s;
        ok = attr::ParseSize(value, s) && s.cx >= 0 && s.cy >= 0;
        if (ok)
            self->SetInitSize(s.cx, s.cy);
    } else if (name == L"caption") {
        ok = attr::ParseRect(value, caption);
    } else if (name == L"mininfo") {
        ok = attr::ParseSize(value, minInfo);
    } else if (name == L"maxinfo") {
        ok = attr::ParseSize(value, maxInfo);
    } else if (name == L"roundcorner") {
        ok = attr::ParseSize(value, roundCorner);
    } else if (name == L"sizebox") {
        ok = attr::ParseRect(value, sizeBox);
    } else if (name == L"defaulttextcolor" || name == L"defaultfontcolor") {
        ok = attr::ParseColor(value, defaultFontColor);
    } else if (name == L"disabledfontcolor" || name == L"disabledtextcolor") {
        ok = attr::ParseColor(value, disabledFontColor);
    } else if (name == L"linkfontcolor") {
        ok = attr::ParseColor(value, linkFontColor);
    } else if (name == L"linkhoverfontcolor") {
        ok = attr::ParseColor(value, linkHoverFontColor);
    } else if (name == L"selectedcolor") {
        ok = attr::ParseColor(value, selectedBkColor);
    } else if (name == L"showdirty" || name == L"alpha" || name == L"bktrans" || name == L"shadow") {
        // Accepted for compatibility; nothing to do on this backend.
    } else {
        attr::LogUnknown(L"Window", name, value);
        return false;
    }
    if (!ok)
        attr::LogBadValue(L"Window", name, value);
    return ok;
}

} // namespace DuiLib
