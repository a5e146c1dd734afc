#include "ui/UIManager.h"

#include <QCursor>
#include <QFontDatabase>
#include <QPainter>

#include <algorithm>
#include <iterator>

#include "platform/DebugLog.h"
#include "platform/Utf8.h"
#include "ui/UIAccessible.h"
#include "ui/UIButton.h"
#include "ui/UIContainer.h"
#include "ui/UIControl.h"
#include "ui/internal/Attr.h"
#include "ui/internal/ManagerImpl.h"
#include "ui/internal/Render.h"
#include "ui/internal/Resources.h"

namespace DuiLib {

namespace {

std::unordered_map<std::wstring, std::wstring>& SharedDefaults()
{
    static std::unordered_map<std::wstring, std::wstring> map;
    return map;
}

// The skin names Windows faces; map them onto installed CJK faces once.
void InstallFontSubstitutes()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    const QStringList cjk = {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                             QStringLiteral("Noto Sans SC"), QStringLiteral("Droid Sans Fallback")};
    for (const char* face : {"微软雅黑", "Microsoft YaHei", "宋体", "SimSun", "黑体", "SimHei", "Tahoma", "Arial"})
        QFont::insertSubstitutions(QString::fromUtf8(face), cjk);
}

}  // namespace

// ---------------------------------------------------------------- Impl

namespace {
unsigned g_defaultsVersion = 1;
unsigned g_nextManagerId = 1;
}  // namespace

unsigned DefaultsVersion()
{
    return g_defaultsVersion;
}

CPaintManagerUI::Impl::Impl(CPaintManagerUI* owner)
    : self(owner), id(g_nextManagerId++), timers([this](CControlUI* control, unsigned timerId) { Tick(control, timerId); })
{
}

void CPaintManagerUI::Impl::Tick(CControlUI* control, unsigned timerId)
{
    CDispatchScope scope(self);
    TEventUI e;
    e.Type = UIEVENT_TIMER;
    e.pSender = control;
    e.wParam = timerId;
    control->DoEvent(e);
    if (timers.Has(control, timerId))
        self->SendNotify(control, DUI_MSGTYPE_TIMER, timerId, 0);
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
    scrollStyle = ScrollBarStyle{};
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

void CPaintManagerUI::Impl::Paint(QPainter& p, const RECT& dirty)
{
    CDispatchScope scope(self);
    frames.Painting();
    self->UpdateLayout();
    if (!root)
        return;
    CRenderContext ctx(p, self);
    root->DoPaint(ctx, dirty);
}

// ---------------------------------------------------------------- scope

CDispatchScope::CDispatchScope(CPaintManagerUI* manager) : m_manager(manager)
{
    if (m_manager)
        ++m_manager->GetImpl().dispatchDepth;
}

CDispatchScope::~CDispatchScope()
{
    if (!m_manager)
        return;
    auto& d = m_manager->GetImpl();
    if (--d.dispatchDepth == 0)
        d.retirement.DispatchEnded();
}

// ---------------------------------------------------------------- manager

CPaintManagerUI::CPaintManagerUI() : d(std::make_unique<Impl>(this))
{
    InstallFontSubstitutes();
}

CPaintManagerUI::~CPaintManagerUI()
{
    d->timers.Clear();
    d->root.reset();
    d->retirement.DestroyAll();
}

void CPaintManagerUI::SetResourcePath(const std::wstring& folder)
{
    resources::SetFolder(folder);
}

std::wstring CPaintManagerUI::GetResourcePath()
{
    return resources::Folder();
}

bool CPaintManagerUI::SetResourceZip(const void* data, std::size_t size)
{
    return resources::SetZip(data, size);
}

bool CPaintManagerUI::SetResourceZipFile(const std::wstring& path)
{
    return resources::SetZipFile(path);
}

void CPaintManagerUI::RegisterZipResource(int id, const void* data, std::size_t size)
{
    resources::Register(id, data, size);
}

bool CPaintManagerUI::UseZipResource(int id)
{
    return resources::UseRegistered(id);
}

bool CPaintManagerUI::ReadResourceFile(const std::wstring& name, std::string& bytes)
{
    return resources::Read(name, bytes);
}

bool CPaintManagerUI::HasResourceSource()
{
    return resources::HasSource();
}

void CPaintManagerUI::AttachDialog(std::unique_ptr<CControlUI> root)
{
    if (d->root) {
        d->root->SetManager(nullptr, nullptr);
        DestroyLater(std::move(d->root));
    }
    d->names.clear();
    d->root = std::move(root);
    if (d->root)
        d->root->SetManager(this, nullptr, true);
    d->layoutNeeded = true;
    Invalidate();
}

CControlUI* CPaintManagerUI::GetRoot() const
{
    return d->root.get();
}

CControlUI* CPaintManagerUI::FindControl(const std::wstring& name) const
{
    if (name.empty() || !d->root)
        return nullptr;
    auto it = d->names.find(name);
    if (it != d->names.end())
        return it->second;
    CControlUI* found = d->root->FindSubControl(name);
    if (found)
        d->names.emplace(name, found);
    return found;
}

CControlUI* CPaintManagerUI::FindControl(POINT pt) const
{
    return d->root ? d->root->FindControlAt(pt) : nullptr;
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, const std::wstring& name)
{
    return parent ? parent->FindSubControl(name) : nullptr;
}

SIZE CPaintManagerUI::GetInitSize() const
{
    return d->initSize;
}

void CPaintManagerUI::SetInitSize(int cx, int cy)
{
    d->initSize = {cx, cy};
    if (d->clientSize.cx == 0 && d->clientSize.cy == 0)
        SetClientSize(cx, cy);
}

RECT CPaintManagerUI::GetCaptionRect() const
{
    return d->caption;
}

void CPaintManagerUI::SetCaptionRect(const RECT& rc)
{
    d->caption = rc;
}

SIZE CPaintManagerUI::GetMinInfo() const
{
    return d->minInfo;
}

void CPaintManagerUI::SetMinInfo(int cx, int cy)
{
    d->minInfo = {cx, cy};
}

SIZE CPaintManagerUI::GetMaxInfo() const
{
    return d->maxInfo;
}

void CPaintManagerUI::SetMaxInfo(int cx, int cy)
{
    d->maxInfo = {cx, cy};
}

SIZE CPaintManagerUI::GetRoundCorner() const
{
    return d->roundCorner;
}

RECT CPaintManagerUI::GetSizeBox() const
{
    return d->sizeBox;
}

std::uint32_t CPaintManagerUI::GetDefaultFontColor() const
{
    return d->defaultFontColor;
}

std::uint32_t CPaintManagerUI::GetDefaultDisabledColor() const
{
    return d->disabledFontColor;
}

std::uint32_t CPaintManagerUI::GetDefaultLinkFontColor() const
{
    return d->linkFontColor;
}

std::uint32_t CPaintManagerUI::GetDefaultLinkHoverFontColor() const
{
    return d->linkHoverFontColor;
}

std::uint32_t CPaintManagerUI::GetDefaultSelectedBkColor() const
{
    return d->selectedBkColor;
}

bool CPaintManagerUI::SetWindowAttribute(const std::wstring& name, const std::wstring& value)
{
    bool ok = true;
    if (name == L"size") {
        SIZE s;
        ok = attr::ParseSize(value, s) && s.cx >= 0 && s.cy >= 0;
        if (ok)
            SetInitSize(s.cx, s.cy);
    } else if (name == L"caption") {
        ok = attr::ParseRect(value, d->caption);
    } else if (name == L"mininfo") {
        ok = attr::ParseSize(value, d->minInfo);
    } else if (name == L"maxinfo") {
        ok = attr::ParseSize(value, d->maxInfo);
    } else if (name == L"roundcorner") {
        ok = attr::ParseSize(value, d->roundCorner);
    } else if (name == L"sizebox") {
        ok = attr::ParseRect(value, d->sizeBox);
    } else if (name == L"defaulttextcolor" || name == L"defaultfontcolor") {
        ok = attr::ParseColor(value, d->defaultFontColor);
    } else if (name == L"disabledfontcolor" || name == L"disabledtextcolor") {
        ok = attr::ParseColor(value, d->disabledFontColor);
    } else if (name == L"linkfontcolor") {
        ok = attr::ParseColor(value, d->linkFontColor);
    } else if (name == L"linkhoverfontcolor") {
        ok = attr::ParseColor(value, d->linkHoverFontColor);
    } else if (name == L"selectedcolor") {
        ok = attr::ParseColor(value, d->selectedBkColor);
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

void CPaintManagerUI::AddFont(int id, const std::wstring& face, int size, bool bold, bool underline, bool italic,
                              bool isDefault)
{
    InstallFontSubstitutes();
    FontInfo info;
    info.face = face.empty() ? L"微软雅黑" : face;
    info.size = std::clamp(size, 1, 400);
    info.bold = bold;
    info.underline = underline;
    info.italic = italic;
    info.font = QFont(QString::fromStdWString(info.face));
    info.font.setPixelSize(info.size);
    info.font.setBold(bold);
    info.font.setUnderline(underline);
    info.font.setItalic(italic);
    info.font.setStyleStrategy(QFont::PreferAntialias);
    d->fonts[id] = std::move(info);
    if (isDefault)
        d->defaultFont = id;
    d->layoutNeeded = true;
    Invalidate();
}

bool CPaintManagerUI::HasFont(int id) const
{
    return d->fonts.count(id) != 0;
}

int CPaintManagerUI::GetFontSize(int id) const
{
    auto it = d->fonts.find(id);
    return it == d->fonts.end() ? 0 : it->second.size;
}

bool CPaintManagerUI::IsFontBold(int id) const
{
    auto it = d->fonts.find(id);
    return it != d->fonts.end() && it->second.bold;
}

void CPaintManagerUI::AddDefaultAttributeList(const std::wstring& controlClass, const std::wstring& list)
{
    d->defaults[controlClass] = list;
    ++d->defaultsVersion;
    ++g_defaultsVersion;
    SharedDefaults()[controlClass] = list;
}

std::wstring CPaintManagerUI::GetDefaultAttributeList(const std::wstring& controlClass) const
{
    auto it = d->defaults.find(controlClass);
    return it == d->defaults.end() ? std::wstring() : it->second;
}

std::wstring CPaintManagerUI::GetSharedDefaultAttributeList(const std::wstring& controlClass)
{
    auto it = SharedDefaults().find(controlClass);
    return it == SharedDefaults().end() ? std::wstring() : it->second;
}

bool CPaintManagerUI::AddImage(const std::wstring& name, const unsigned char* data, std::size_t size)
{
    if (name.empty() || !data || size == 0)
        return false;
    if (!d->images.AddShared(name, std::string(reinterpret_cast<const char*>(data), size)))
        return false;
    Invalidate();
    return true;
}

void CPaintManagerUI::AddImageAlias(const std::wstring& name, const std::wstring& file)
{
    d->images.AddAlias(name, file);
}

void CPaintManagerUI::RemoveImage(const std::wstring& name)
{
    d->images.Remove(name);
    Invalidate();
}

void CPaintManagerUI::RemoveAllImages()
{
    d->images.Clear();
    Invalidate();
}

bool CPaintManagerUI::IsImageCached(const std::wstring& name) const
{
    return d->images.IsCached(name);
}

SIZE CPaintManagerUI::GetImageSize(const std::wstring& name)
{
    const QImage* img = d->images.Find(name, false, 0);
    if (!img)
        return {};
    return {img->width(), img->height()};
}

bool CPaintManagerUI::SetTimer(CControlUI* control, unsigned id, unsigned elapseMs)
{
    if (!control)
        return false;
    d->timers.Set(control, id, elapseMs);
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* control, unsigned id)
{
    return d->timers.Kill(control, id);
}

void CPaintManagerUI::KillTimer(CControlUI* control)
{
    d->timers.KillAll(control);
}

bool CPaintManagerUI::HasTimer(CControlUI* control, unsigned id) const
{
    return d->timers.Has(control, id);
}

void CPaintManagerUI::AddNotifier(INotifyUI* notifier)
{
    if (notifier && std::find(d->notifiers.begin(), d->notifiers.end(), notifier) == d->notifiers.end())
        d->notifiers.push_back(notifier);
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier)
{
    d->notifiers.erase(std::remove(d->notifiers.begin(), d->notifiers.end(), notifier), d->notifiers.end());
}

void CPaintManagerUI::SendNotify(CControlUI* sender, const std::wstring& type, WPARAM wParam, LPARAM lParam)
{
    TNotifyUI msg;
    msg.sType = type;
    msg.pSender = sender;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg);
}

void CPaintManagerUI::SendNotify(TNotifyUI& msg)
{
    CDispatchScope scope(this);
    if (d->host) {
        QPoint pos = d->host->mapFromGlobal(QCursor::pos());
        msg.ptMouse = {pos.x(), pos.y()};
    }
    // Copies: a handler may add or remove observers and notifiers.
    auto observers = d->observers;
    for (auto& [id, fn] : observers)
        fn(msg);
    auto notifiers = d->notifiers;
    for (INotifyUI* n : notifiers)
        if (std::find(d->notifiers.begin(), d->notifiers.end(), n) != d->notifiers.end())
            n->Notify(msg);
}

int CPaintManagerUI::AddNotifyObserver(NotifyObserver observer)
{
    int id = d->nextObserver++;
    d->observers.emplace_back(id, std::move(observer));
    return id;
}

void CPaintManagerUI::RemoveNotifyObserver(int id)
{
    auto& v = d->observers;
    v.erase(std::remove_if(v.begin(), v.end(), [id](const auto& p) { return p.first == id; }), v.end());
}

CControlUI* CPaintManagerUI::GetFocus() const
{
    return d->focus;
}

void CPaintManagerUI::SetFocus(CControlUI* control)
{
    d->MoveFocus(control);
}

bool CPaintManagerUI::SetNextTabControl(bool forward)
{
    return d->MoveFocusInTabOrder(forward);
}

CControlUI* CPaintManagerUI::GetHover() const
{
    return d->hover;
}

void CPaintManagerUI::BeginWaitCursor()
{
    d->waitCursor = true;
    d->capture = nullptr;
    // The capture keeps clicks from other windows of the program as well.
    if (d->host && d->host->isVisible() && !d->grabbed) {
        d->host->grabMouse(Qt::WaitCursor);
        d->grabbed = true;
    }
    d->UpdateCursor();
}

void CPaintManagerUI::EndWaitCursor()
{
    if (!d->waitCursor)
        return;
    d->waitCursor = false;
    if (d->host && d->grabbed)
        d->host->releaseMouse();
    d->grabbed = false;
    d->UpdateCursor();
}

bool CPaintManagerUI::IsWaitCursor() const
{
    return d->waitCursor;
}

void CPaintManagerUI::AddOptionGroup(const std::wstring& group, CControlUI* option)
{
    auto& v = d->optionGroups[group];
    if (std::find(v.begin(), v.end(), option) == v.end())
        v.push_back(option);
}

void CPaintManagerUI::RemoveOptionGroup(const std::wstring& group, CControlUI* option)
{
    auto it = d->optionGroups.find(group);
    if (it == d->optionGroups.end())
        return;
    auto& v = it->second;
    v.erase(std::remove(v.begin(), v.end(), option), v.end());
    if (v.empty())
        d->optionGroups.erase(it);
}

std::vector<CControlUI*> CPaintManagerUI::GetOptionGroup(const std::wstring& group) const
{
    auto it = d->optionGroups.find(group);
    return it == d->optionGroups.end() ? std::vector<CControlUI*>{} : it->second;
}

SIZE CPaintManagerUI::GetClientSize() const
{
    return d->clientSize;
}

void CPaintManagerUI::SetClientSize(int cx, int cy)
{
    if (d->clientSize.cx == cx && d->clientSize.cy == cy)
        return;
    d->clientSize = {cx, cy};
    d->layoutNeeded = true;
    Invalidate();
}

void CPaintManagerUI::NeedUpdate()
{
    Invalidate();
}

namespace {

void RelayoutMarked(CControlUI* c)
{
    if (!c->IsVisible())
        return;
    if (c->IsUpdateNeeded()) {
        c->SetPos(c->GetPos());
        return;
    }
    if (!c->IsSubtreeUpdateNeeded())
        return;
    c->ClearSubtreeUpdate();
    if (auto* box = dynamic_cast<CContainerUI*>(c)) {
        for (int i = 0; i < box->GetCountRaw(); ++i)
            RelayoutMarked(box->GetRawItemAt(i));
    }
}

}  // namespace

void CPaintManagerUI::UpdateLayout()
{
    if (!d->root)
        return;
    CDispatchScope scope(this);
    if (d->layoutNeeded || d->root->IsUpdateNeeded()) {
        d->layoutNeeded = false;
        d->root->SetPos(RECT{0, 0, d->clientSize.cx, d->clientSize.cy});
    } else {
        RelayoutMarked(d->root.get());
    }
}

void CPaintManagerUI::Invalidate()
{
    d->frames.UpdateAll();
}

void CPaintManagerUI::Invalidate(const RECT& rc)
{
    if (!rc.IsEmpty())
        d->frames.Update(render::ToQRect(rc));
}

bool CPaintManagerUI::SaveImage(const std::string& pngPath)
{
    SIZE size = d->clientSize;
    if (size.cx <= 0 || size.cy <= 0)
        return false;
    // At the window's device pixel ratio, as its screen shows it.
    const qreal ratio = d->host ? d->host->devicePixelRatioF() : 1.0;
    QImage image(qRound(size.cx * ratio), qRound(size.cy * ratio), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        d->Paint(p, RECT{0, 0, size.cx, size.cy});
    }
    return image.save(QString::fromStdString(pngPath), "PNG");
}

void CPaintManagerUI::ReapObjects(CControlUI* control)
{
    if (!control)
        return;
    if (d->focus == control)
        d->focus = nullptr;
    if (d->hover == control)
        d->hover = nullptr;
    if (d->capture == control)
        d->capture = nullptr;
    KillTimer(control);
    ForgetAccessible(control);
    auto it = d->names.find(control->GetName());
    if (it != d->names.end() && it->second == control)
        d->names.erase(it);
}

void CPaintManagerUI::InitControl(CControlUI* control)
{
    if (!control || control->GetName().empty())
        return;
    d->names.emplace(control->GetName(), control);
}

void CPaintManagerUI::DestroyGradually(std::vector<std::unique_ptr<CControlUI>> controls)
{
    d->retirement.Gradually(std::move(controls));
}

void CPaintManagerUI::DestroyLater(std::unique_ptr<CControlUI> control)
{
    d->retirement.Later(std::move(control));
}

}  // namespace DuiLib
