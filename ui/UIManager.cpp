#include "ui/UIManager.h"

#include <QCursor>
#include <QPainter>

#include <algorithm>
#include <iterator>

#include "platform/DebugLog.h"
#include "platform/Utf8.h"
#include "ui/UIAccessible.h"
#include "ui/UIButton.h"
#include "ui/UIContainer.h"
#include "ui/UIControl.h"
#include "ui/UIDispatchScope.h"
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

} // namespace

// ---------------------------------------------------------------- Impl

namespace {
    unsigned g_defaultsVersion = 1;
    unsigned g_nextManagerId = 1;
} // namespace

unsigned DefaultsVersion()
{
    return g_defaultsVersion;
}

CPaintManagerUI::Impl::Impl(CPaintManagerUI* owner)
    : self(owner)
    , id(g_nextManagerId++)
    , timers([this](CControlUI* control, unsigned timerId) { Tick(control, timerId); })
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

// ---------------------------------------------------------------- manager

CPaintManagerUI::CPaintManagerUI()
    : d(std::make_unique<Impl>(this))
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
    d->initSize = { cx, cy };
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
    d->minInfo = { cx, cy };
}

SIZE CPaintManagerUI::GetMaxInfo() const
{
    return d->maxInfo;
}

void CPaintManagerUI::SetMaxInfo(int cx, int cy)
{
    d->maxInfo = { cx, cy };
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
    return d->WindowAttribute(name, value);
}

void CPaintManagerUI::AddFont(
    int id, const std::wstring& face, int size, bool bold, bool underline, bool italic, bool isDefault)
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
    return { img->width(), img->height() };
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
        msg.ptMouse = { pos.x(), pos.y() };
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
    return it == d->optionGroups.end() ? std::vector<CControlUI*> {} : it->second;
}

SIZE CPaintManagerUI::GetClientSize() const
{
    return d->clientSize;
}

void CPaintManagerUI::SetClientSize(int cx, int cy)
{
    if (d->clientSize.cx == cx && d->clientSize.cy == cy)
        return;
    d->clientSize = { cx, cy };
    d->layoutNeeded = true;
    Invalidate();
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

} // namespace DuiLib
