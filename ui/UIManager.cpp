#include "ui/UIManager.h"

#include <QBuffer>
#include <QCursor>
#include <QFontDatabase>
#include <QImageReader>
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

QImage Decode(const std::string& bytes)
{
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    QImage img = reader.read();
    if (img.isNull())
        return img;
    return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage ApplyMask(const QImage& src, std::uint32_t mask)
{
    QImage img = src.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = mask & 0x00FFFFFFu;
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0x00FFFFFFu) == key)
                line[x] = 0;
    }
    return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Hands one input event to a control.
void Deliver(CControlUI* target, int type, POINT pt, int wheelDelta = 0)
{
    TEventUI e;
    e.Type = type;
    e.pSender = target;
    e.ptMouse = pt;
    e.wheelDelta = wheelDelta;
    target->DoEvent(e);
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

namespace {

constexpr int kFrameMs = 16;

}  // namespace

CPaintManagerUI::Impl::Impl(CPaintManagerUI* owner) : self(owner), id(g_nextManagerId++)
{
    QObject::connect(&retireTimer, &QTimer::timeout, [this] {
        if (dispatchDepth > 0)
            return;
        constexpr std::size_t kRetiredPerFrame = 64;
        // Destroying a control may retire others: take the portion out first.
        const std::size_t n = std::min(kRetiredPerFrame, retired.size());
        std::vector<std::unique_ptr<CControlUI>> portion(std::make_move_iterator(retired.end() - n),
                                                         std::make_move_iterator(retired.end()));
        retired.resize(retired.size() - n);
        portion.clear();
        if (retired.empty())
            retireTimer.stop();
    });
    frameTimer.setSingleShot(true);
    // A coarse timer may fire early, and what came then would wait for a
    // frame of its own right after this one.
    frameTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&frameTimer, &QTimer::timeout, [this] {
        if (host && !deferred.isEmpty()) {
            host->update(deferred);
            partialUpdatePending = true;
        }
        deferred = QRect();
    });
}

namespace {

// "img/a/b.png" -> "img/a/b@2x.png"; empty where the name has no extension.
std::wstring DoubleScaleName(const std::wstring& file)
{
    const std::size_t dot = file.rfind(L'.');
    const std::size_t slash = file.find_last_of(L"/\\");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
        return {};
    return file.substr(0, dot) + L"@2x" + file.substr(dot);
}

}  // namespace

const QImage* CPaintManagerUI::Impl::Image(const std::wstring& name, bool hasMask, std::uint32_t mask, int scale,
                                           int* gotScale)
{
    if (gotScale)
        *gotScale = 1;
    if (name.empty())
        return nullptr;
    if (!hasMask) {
        auto s = shared.find(name);
        if (s != shared.end())
            return &s->second;
    }
    std::wstring file = name;
    if (auto a = aliases.find(name); a != aliases.end())
        file = a->second;
    if (scale > 1) {
        // A picture without a 2x version is looked for once, then the 1x
        // one stands in (scaled up by the painter).
        const std::wstring doubled = DoubleScaleName(file);
        if (!doubled.empty()) {
            const std::wstring key = hasMask ? doubled + L"|" + std::to_wstring(mask) : doubled;
            auto it = images.find(key);
            if (it == images.end()) {
                CachedImage entry;
                std::string bytes;
                if (resources::Read(doubled, bytes)) {
                    entry.image = Decode(bytes);
                    entry.ok = !entry.image.isNull();
                    if (entry.ok && hasMask)
                        entry.image = ApplyMask(entry.image, mask);
                }
                it = images.emplace(key, std::move(entry)).first;
            }
            if (it->second.ok) {
                if (gotScale)
                    *gotScale = 2;
                return &it->second.image;
            }
        }
    }
    std::wstring key = hasMask ? file + L"|" + std::to_wstring(mask) : file;
    auto it = images.find(key);
    if (it != images.end())
        return it->second.ok ? &it->second.image : nullptr;
    CachedImage entry;
    std::string bytes;
    if (resources::Read(file, bytes)) {
        entry.image = Decode(bytes);
        entry.ok = !entry.image.isNull();
        if (entry.ok && hasMask)
            entry.image = ApplyMask(entry.image, mask);
        if (!entry.ok)
            DebugLogA("DuiLib: image %s cannot be decoded, not drawn\n", Utf8OfWide(file).c_str());
    } else {
        DebugLogA("DuiLib: image %s not found, not drawn\n", Utf8OfWide(file).c_str());
    }
    auto [pos, inserted] = images.emplace(key, std::move(entry));
    return pos->second.ok ? &pos->second.image : nullptr;
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
    // Updates asked from here on need a paint of their own.
    wholeUpdatePending = false;
    partialUpdatePending = false;
    sinceLastPaint.start();
    self->UpdateLayout();
    if (!root)
        return;
    CRenderContext ctx(p, self);
    root->DoPaint(ctx, dirty);
}

void CPaintManagerUI::Impl::UpdateCursor()
{
    if (!host)
        return;
    if (waitCursor) {
        host->setCursor(Qt::WaitCursor);
        return;
    }
    if (hover && hover->IsEnabled()) {
        std::wstring cls = hover->GetClass();
        if (cls == L"EditUI" || cls == L"RichEditUI") {
            host->setCursor(Qt::IBeamCursor);
            return;
        }
    }
    host->unsetCursor();
}

void CPaintManagerUI::Impl::MouseMove(POINT pt)
{
    if (waitCursor)
        return;
    CDispatchScope scope(self);
    if (capture) {
        Deliver(capture, UIEVENT_MOUSEMOVE, pt);
        return;
    }
    CControlUI* now = root ? root->FindControlAt(pt) : nullptr;
    if (now != hover) {
        CControlUI* old = hover;
        hover = now;
        if (old) {
            Deliver(old, UIEVENT_MOUSELEAVE, pt);
            self->SendNotify(old, DUI_MSGTYPE_MOUSELEAVE);
        }
        if (CControlUI* entered = hover) {
            Deliver(entered, UIEVENT_MOUSEENTER, pt);
            self->SendNotify(entered, DUI_MSGTYPE_MOUSEENTER);
        }
        UpdateCursor();
    }
    if (hover)
        Deliver(hover, UIEVENT_MOUSEMOVE, pt);
}

void CPaintManagerUI::Impl::MousePress(POINT pt, bool right, bool doubleClick)
{
    if (waitCursor)
        return;
    CDispatchScope scope(self);
    MouseMove(pt);
    CControlUI* target = root ? root->FindControlAt(pt) : nullptr;
    if (!target)
        return;
    if (right) {
        Deliver(target, UIEVENT_RBUTTONDOWN, pt);
        return;
    }
    if (target->IsEnabled())
        self->SetFocus(target);
    // The focus change may have removed the control.
    target = root ? root->FindControlAt(pt) : nullptr;
    if (!target)
        return;
    capture = target;
    Deliver(target, doubleClick ? UIEVENT_DBLCLICK : UIEVENT_BUTTONDOWN, pt);
}

void CPaintManagerUI::Impl::MouseRelease(POINT pt, bool right)
{
    if (right || waitCursor) {
        capture = nullptr;
        return;
    }
    CDispatchScope scope(self);
    CControlUI* target = capture;
    capture = nullptr;
    if (!target)
        return;
    Deliver(target, UIEVENT_BUTTONUP, pt);
    // Moves went to the captured control only: bring the hover up to date,
    // so a button released elsewhere no longer looks hot.
    MouseMove(pt);
}

void CPaintManagerUI::Impl::MouseLeave()
{
    CDispatchScope scope(self);
    if (hover && !capture) {
        CControlUI* old = hover;
        hover = nullptr;
        Deliver(old, UIEVENT_MOUSELEAVE, POINT{-1, -1});
        self->SendNotify(old, DUI_MSGTYPE_MOUSELEAVE);
    }
}

void CPaintManagerUI::Impl::Wheel(POINT pt, int delta)
{
    if (waitCursor || !root)
        return;
    CDispatchScope scope(self);
    CControlUI* target = root->FindControlAt(pt);
    if (!target)
        target = root.get();
    Deliver(target, UIEVENT_SCROLLWHEEL, pt, delta);
}

bool CPaintManagerUI::Impl::Key(int key, bool shift, bool ctrl)
{
    CDispatchScope scope(self);
    if (key == UIKEY_TAB) {
        self->SetNextTabControl(!shift);
        return true;
    }
    if (focus && focus->IsVisibleInTree() && focus->IsEnabled()) {
        TEventUI e;
        e.Type = UIEVENT_KEYDOWN;
        e.pSender = focus;
        e.key = key;
        e.shift = shift;
        e.ctrl = ctrl;
        if (key == UIKEY_RETURN && dynamic_cast<CButtonUI*>(focus)) {
            focus->DoEvent(e);
            return true;
        }
        focus->DoEvent(e);
    }
    if (key == UIKEY_RETURN)
        return ActivateDefaultButton();
    return false;
}

bool CPaintManagerUI::Impl::ActivateDefaultButton()
{
    if (!root)
        return false;
    CButtonUI* found = nullptr;
    root->ForEach([&](CControlUI* c) {
        if (found)
            return;
        auto* b = dynamic_cast<CButtonUI*>(c);
        if (b && b->IsDefaultButton() && b->IsEnabled() && b->IsVisibleInTree())
            found = b;
    });
    if (!found)
        return false;
    found->Activate();
    return true;
}

void CPaintManagerUI::Impl::EndDispatch()
{
    // Destroying a control may remove others (timers, nested trees): loop.
    while (!graveyard.empty()) {
        auto dead = std::move(graveyard);
        graveyard.clear();
        dead.clear();
    }
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
        d.EndDispatch();
}

// ---------------------------------------------------------------- manager

CPaintManagerUI::CPaintManagerUI() : d(std::make_unique<Impl>(this))
{
    InstallFontSubstitutes();
}

CPaintManagerUI::~CPaintManagerUI()
{
    for (auto& [key, timer] : d->timers)
        delete timer;
    d->timers.clear();
    d->root.reset();
    d->graveyard.clear();
    d->retired.clear();
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
    QImage img = Decode(std::string(reinterpret_cast<const char*>(data), size));
    if (img.isNull()) {
        DebugLogA("DuiLib: shared image %s: data cannot be decoded\n", Utf8OfWide(name).c_str());
        return false;
    }
    d->shared[name] = std::move(img);
    Invalidate();
    return true;
}

void CPaintManagerUI::AddImageAlias(const std::wstring& name, const std::wstring& file)
{
    std::wstring f = file;
    for (auto& c : f)
        if (c == L'\\')
            c = L'/';
    d->aliases[name] = f;
}

void CPaintManagerUI::RemoveImage(const std::wstring& name)
{
    std::wstring file = name;
    for (auto& c : file)
        if (c == L'\\')
            c = L'/';
    d->shared.erase(name);
    // Every cached variant (masked ones too).
    for (auto it = d->images.begin(); it != d->images.end();) {
        const std::wstring& key = it->first;
        if (key == file || key == name || key.rfind(file + L"|", 0) == 0)
            it = d->images.erase(it);
        else
            ++it;
    }
    Invalidate();
}

void CPaintManagerUI::RemoveAllImages()
{
    d->images.clear();
    d->shared.clear();
    Invalidate();
}

bool CPaintManagerUI::IsImageCached(const std::wstring& name) const
{
    std::wstring file = name;
    for (auto& c : file)
        if (c == L'\\')
            c = L'/';
    if (d->shared.count(name))
        return true;
    auto it = d->images.find(file);
    return it != d->images.end() && it->second.ok;
}

SIZE CPaintManagerUI::GetImageSize(const std::wstring& name)
{
    const QImage* img = d->Image(name, false, 0);
    if (!img)
        return {};
    return {img->width(), img->height()};
}

bool CPaintManagerUI::SetTimer(CControlUI* control, unsigned id, unsigned elapseMs)
{
    if (!control)
        return false;
    auto key = std::make_pair(control, id);
    auto it = d->timers.find(key);
    QTimer* timer;
    if (it != d->timers.end()) {
        timer = it->second;
    } else {
        timer = new QTimer(&d->timerOwner);
        d->timers.emplace(key, timer);
        QObject::connect(timer, &QTimer::timeout, &d->timerOwner, [this, control, id] {
            if (!d->timers.count({control, id}))
                return;
            CDispatchScope scope(this);
            TEventUI e;
            e.Type = UIEVENT_TIMER;
            e.pSender = control;
            e.wParam = id;
            control->DoEvent(e);
            if (d->timers.count({control, id}))
                SendNotify(control, DUI_MSGTYPE_TIMER, id, 0);
        });
    }
    timer->start(static_cast<int>(std::max(1u, elapseMs)));
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* control, unsigned id)
{
    auto it = d->timers.find({control, id});
    if (it == d->timers.end())
        return false;
    it->second->stop();
    it->second->deleteLater();  // it may be emitting right now
    d->timers.erase(it);
    return true;
}

void CPaintManagerUI::KillTimer(CControlUI* control)
{
    auto it = d->timers.lower_bound({control, 0u});
    while (it != d->timers.end() && it->first.first == control) {
        it->second->stop();
        it->second->deleteLater();
        it = d->timers.erase(it);
    }
}

bool CPaintManagerUI::HasTimer(CControlUI* control, unsigned id) const
{
    return d->timers.count({control, id}) != 0;
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
    if (control == d->focus)
        return;
    CDispatchScope scope(this);
    if (CControlUI* old = d->focus) {
        d->focus = nullptr;
        TEventUI e;
        e.Type = UIEVENT_KILLFOCUS;
        e.pSender = old;
        old->DoEvent(e);
        SendNotify(old, DUI_MSGTYPE_KILLFOCUS);
    }
    if (control && control->GetManager() == this && control->IsVisibleInTree() && control->IsEnabled()) {
        d->focus = control;
        TEventUI e;
        e.Type = UIEVENT_SETFOCUS;
        e.pSender = control;
        control->DoEvent(e);
        if (d->focus == control) {
            AnnounceFocus(control);
            SendNotify(control, DUI_MSGTYPE_SETFOCUS);
        }
    }
}

bool CPaintManagerUI::SetNextTabControl(bool forward)
{
    if (!d->root)
        return false;
    std::vector<CControlUI*> order;
    d->root->ForEach([&](CControlUI* c) {
        if (c->IsFocusable() && c->IsEnabled() && c->IsKeyboardEnabled() && c->IsVisibleInTree())
            order.push_back(c);
    });
    if (order.empty())
        return false;
    auto it = std::find(order.begin(), order.end(), d->focus);
    CControlUI* next;
    if (it == order.end()) {
        next = forward ? order.front() : order.back();
    } else if (forward) {
        ++it;
        next = it == order.end() ? order.front() : *it;
    } else {
        next = it == order.begin() ? order.back() : *(it - 1);
    }
    SetFocus(next);
    return true;
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
    if (d->host && !d->wholeUpdatePending) {
        d->wholeUpdatePending = true;
        d->deferred = QRect();
        d->frameTimer.stop();
        d->host->update();
    }
}

void CPaintManagerUI::Invalidate(const RECT& rc)
{
    if (!d->host || rc.IsEmpty() || d->wholeUpdatePending)
        return;
    const QRect area = render::ToQRect(rc);
    const qint64 since = d->sinceLastPaint.isValid() ? d->sinceLastPaint.elapsed() : kFrameMs;
    if (since >= kFrameMs || d->partialUpdatePending) {
        // What waited for this frame goes with it, not in a paint of its own
        // when the timer comes.
        d->host->update(area | d->deferred);
        d->deferred = QRect();
        d->frameTimer.stop();
        d->partialUpdatePending = true;
        return;
    }
    d->deferred |= area;
    if (!d->frameTimer.isActive())
        d->frameTimer.start(static_cast<int>(kFrameMs - since));
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
    for (auto& control : controls) {
        if (control)
            d->retired.push_back(std::move(control));
    }
    if (!d->retired.empty() && !d->retireTimer.isActive())
        d->retireTimer.start(kFrameMs);
}

void CPaintManagerUI::DestroyLater(std::unique_ptr<CControlUI> control)
{
    if (!control)
        return;
    if (d->dispatchDepth > 0)
        d->graveyard.push_back(std::move(control));
    // otherwise it is destroyed here, as control goes out of scope
}

}  // namespace DuiLib
