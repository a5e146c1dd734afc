#include "ui/UIShadow.h"

#include <QEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include <algorithm>

#include "ui/UIWindow.h"

namespace DuiLib {

namespace {

    class ShadowWidget : public QWidget {
    public:
        ShadowWidget()
        {
            setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput
                | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint);
            setAttribute(Qt::WA_TranslucentBackground, true);
            setAttribute(Qt::WA_ShowWithoutActivating, true);
        }

        int size = 0;
        int dx = 0;
        int dy = 0;
        unsigned darkness = 150;
        QColor color = Qt::black;

    protected:
        void paintEvent(QPaintEvent*) override
        {
            QPainter p(this);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(Qt::NoPen);
            // Rings from the outside in, darker towards the window.
            for (int i = 0; i < size; ++i) {
                double t = static_cast<double>(i + 1) / size;
                QColor c = color;
                c.setAlpha(static_cast<int>(darkness * t * t / size * 2.0));
                p.setBrush(c);
                QRectF r(i, i, width() - 2.0 * i, height() - 2.0 * i);
                p.drawRoundedRect(r, size - i, size - i);
            }
        }
    };

} // namespace

struct CWndShadow::Impl : public QObject {
    QPointer<QWidget> owner;
    std::unique_ptr<ShadowWidget> shadow;

    void Follow()
    {
        if (!owner || !shadow)
            return;
        if (!owner->isVisible() || owner->isMinimized() || owner->isMaximized() || shadow->size <= 0) {
            shadow->hide();
            return;
        }
        QRect g = owner->frameGeometry();
        int s = shadow->size;
        shadow->setGeometry(
            g.left() - s + shadow->dx, g.top() - s + shadow->dy, g.width() + 2 * s, g.height() + 2 * s);
        if (!shadow->isVisible()) {
            shadow->show();
            owner->raise();
        }
        shadow->update();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == owner) {
            switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::Show:
            case QEvent::Hide:
            case QEvent::WindowStateChange:
                Follow();
                break;
            default:
                break;
            }
        }
        return false;
    }
};

CWndShadow::CWndShadow()
    : d(std::make_unique<Impl>())
{
}

CWndShadow::~CWndShadow()
{
    if (d->owner)
        d->owner->removeEventFilter(d.get());
}

bool CWndShadow::Create(WindowImplBase& owner)
{
    auto* widget = static_cast<QWidget*>(owner.GetNativeWindow());
    if (!widget)
        return false;
    if (d->owner)
        d->owner->removeEventFilter(d.get());
    d->owner = widget;
    if (!d->shadow)
        d->shadow = std::make_unique<ShadowWidget>();
    widget->installEventFilter(d.get());
    d->Follow();
    return true;
}

bool CWndShadow::IsCreated() const
{
    return d->shadow != nullptr && d->owner;
}

bool CWndShadow::SetSize(int size)
{
    if (size < 0 || size > 20)
        return false;
    if (!d->shadow)
        d->shadow = std::make_unique<ShadowWidget>();
    d->shadow->size = size;
    d->Follow();
    return true;
}

bool CWndShadow::SetPosition(int x, int y)
{
    if (std::abs(x) > 20 || std::abs(y) > 20)
        return false;
    if (!d->shadow)
        d->shadow = std::make_unique<ShadowWidget>();
    d->shadow->dx = x;
    d->shadow->dy = y;
    d->Follow();
    return true;
}

bool CWndShadow::SetDarkness(unsigned darkness)
{
    if (darkness > 255)
        return false;
    if (!d->shadow)
        d->shadow = std::make_unique<ShadowWidget>();
    d->shadow->darkness = darkness;
    d->Follow();
    return true;
}

bool CWndShadow::SetColor(std::uint32_t rgb)
{
    if (!d->shadow)
        d->shadow = std::make_unique<ShadowWidget>();
    d->shadow->color = QColor::fromRgb(rgb & 0x00FFFFFFu);
    d->Follow();
    return true;
}

int CWndShadow::GetSize() const
{
    return d->shadow ? d->shadow->size : 0;
}

int CWndShadow::GetOffsetX() const
{
    return d->shadow ? d->shadow->dx : 0;
}

int CWndShadow::GetOffsetY() const
{
    return d->shadow ? d->shadow->dy : 0;
}

unsigned CWndShadow::GetDarkness() const
{
    return d->shadow ? d->shadow->darkness : 0;
}

bool CWndShadow::IsShown() const
{
    return d->shadow && d->shadow->isVisible();
}

} // namespace DuiLib
