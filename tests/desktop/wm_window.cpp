// The main window on a real X display with a window manager (openbox under
// Xvfb), driven through the X server as a person would: maximised by its
// caption button and made bigger by dragging its lower right corner. What X
// holds of the window afterwards is painted all over, not only in the
// 900 × 600 it started with, and the layout reaches the new right edge.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/window/CMainWnd.h"
#include "devices/DevicePage.h"
#include "tests/support/MainWindowTest.h"
#include "ui/UIControl.h"
#include "ui/UIManager.h"

// Last: Xlib defines macros (None, Success, Status) that clash with names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

extern char** environ;

namespace {

using namespace korvana::test;

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};

// What X holds of a window, as a picture.
QImage Grab(Display* dpy, Window w)
{
    XWindowAttributes attrs {};
    if (!XGetWindowAttributes(dpy, w, &attrs) || attrs.map_state != IsViewable)
        return {};
    XImage* image = XGetImage(dpy, w, 0, 0, attrs.width, attrs.height, AllPlanes, ZPixmap);
    if (!image)
        return {};
    QImage out(attrs.width, attrs.height, QImage::Format_RGB32);
    for (int y = 0; y < attrs.height; ++y)
        for (int x = 0; x < attrs.width; ++x)
            out.setPixel(x, y, static_cast<QRgb>(XGetPixel(image, x, y)) | 0xFF000000u);
    XDestroyImage(image);
    return out;
}

// The share of pure black pixels outside the window's first 900 × 600.
double BlackOutsideTheFirstSize(const QImage& image)
{
    long black = 0, all = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (x < 900 && y < 600)
                continue;
            ++all;
            if ((image.pixel(x, y) & 0xFFFFFFu) == 0)
                ++black;
        }
    return all ? static_cast<double>(black) / static_cast<double>(all) : 1.0;
}

class WindowManagerTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        if (QGuiApplication::platformName() != QLatin1String("xcb") || !std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display (run under xvfb-run with QT_QPA_PLATFORM=xcb)";
        m_x.reset(XOpenDisplay(nullptr));
        ASSERT_TRUE(m_x);
        int event = 0, error = 0, major = 0, minor = 0;
        ASSERT_TRUE(XTestQueryExtension(m_x.get(), &event, &error, &major, &minor));
        XSelectInput(m_x.get(), DefaultRootWindow(m_x.get()), PropertyChangeMask);
        char program[] = KORVANA_OPENBOX;
        char noSession[] = "--sm-disable";
        char* argv[] = { program, noSession, nullptr };
        ASSERT_EQ(posix_spawn(&m_wm, program, nullptr, nullptr, argv, environ), 0);
        const Atom check = XInternAtom(m_x.get(), "_NET_SUPPORTING_WM_CHECK", False);
        ASSERT_TRUE(Until([&] { return HasProperty(DefaultRootWindow(m_x.get()), check); }, 20000))
            << "openbox did not take the display";
    }

    void TearDown() override
    {
        MainWindowTest::TearDown();
        if (m_wm > 0) {
            kill(m_wm, SIGTERM);
            waitpid(m_wm, nullptr, 0);
        }
    }

    bool HasProperty(Window w, Atom property)
    {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        const int rc = XGetWindowProperty(
            m_x.get(), w, property, 0, 1, False, AnyPropertyType, &type, &format, &count, &after, &data);
        if (data)
            XFree(data);
        return rc == Success && type != None;
    }

    // Waits for the condition on the X connection's own events (the root
    // window's property changes: the manager announcing itself), before
    // any window of ours exists.
    bool Until(const std::function<bool()>& cond, int timeoutMs)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            XSync(m_x.get(), False);
            while (XPending(m_x.get()) > 0) {
                XEvent event;
                XNextEvent(m_x.get(), &event);
            }
            if (cond())
                return true;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            pollfd fd { ConnectionNumber(m_x.get()), POLLIN, 0 };
            poll(&fd, 1, static_cast<int>(left.count()));
        }
    }

    QWidget& Host() { return *static_cast<QWidget*>(window().GetNativeWindow()); }
    Window Xid() { return static_cast<Window>(Host().windowHandle()->winId()); }

    XWindowAttributes Attributes()
    {
        XSync(m_x.get(), False);
        XWindowAttributes attrs {};
        XGetWindowAttributes(m_x.get(), Xid(), &attrs);
        return attrs;
    }

    QPoint RootPosition()
    {
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(m_x.get(), Xid(), DefaultRootWindow(m_x.get()), 0, 0, &x, &y, &child);
        return { x, y };
    }

    // Waits until X holds a window of at least the size, painted outside
    // its first 900 × 600, and the layout has reached its right edge.
    bool PaintedAtLeast(int width, int height, QImage& shot)
    {
        return WaitFor(
            [&] {
                const XWindowAttributes attrs = Attributes();
                if (attrs.width < width || attrs.height < height)
                    return false;
                const auto* root = window().Paint().GetRoot();
                if (!root || root->GetPos().right != attrs.width || root->GetPos().bottom != attrs.height)
                    return false;
                shot = Grab(m_x.get(), Xid());
                return !shot.isNull() && BlackOutsideTheFirstSize(shot) < 0.01;
            },
            15000);
    }

    void Pointer(QPoint at)
    {
        XTestFakeMotionEvent(m_x.get(), -1, at.x(), at.y(), CurrentTime);
        XFlush(m_x.get());
        ui().ProcessEvents(30);
    }

    std::unique_ptr<Display, DisplayCloser> m_x;
    pid_t m_wm = 0;
};

TEST_F(WindowManagerTest, MaximisedOrDraggedBiggerTheWholeWindowIsPainted)
{
    StartWindow();
    SignInAs(L"demo", L"korvana123");
    ASSERT_TRUE(WaitFor([&] {
        const auto* devices = dynamic_cast<const DevicePage*>(&window().Devices());
        return devices && devices->FinishedLoads() > 0 && !IsWaiting();
    }));
    const int screenWidth = DisplayWidth(m_x.get(), DefaultScreen(m_x.get()));
    const int screenHeight = DisplayHeight(m_x.get(), DefaultScreen(m_x.get()));
    ASSERT_GT(screenWidth, 1000) << "the display must be bigger than the window";
    ASSERT_GT(screenHeight, 700);

    // Maximised by the window manager at the request of the caption button.
    ASSERT_TRUE(ui().Click(L"maxbtn"));
    QImage shot;
    ASSERT_TRUE(PaintedAtLeast(screenWidth, screenHeight - 40, shot))
        << "X holds " << Attributes().width << " × " << Attributes().height
        << ", black outside 900 × 600: " << BlackOutsideTheFirstSize(Grab(m_x.get(), Xid()));
    EXPECT_TRUE(shot.save(QString::fromStdString(PngPath("wm_maximised"))));
    // The right column follows the edge: 批量操作 sits near it.
    ASSERT_NE(Find(L"CBoxOfBatOpt"), nullptr);
    const DuiLib::RECT batch = Find(L"CBoxOfBatOpt")->GetPos();
    EXPECT_GT(batch.right, screenWidth - 120) << "批量操作 ends at " << batch.right;

    ASSERT_TRUE(ui().Click(L"restorebtn"));
    ASSERT_TRUE(WaitFor([&] { return Attributes().width == 900 && Attributes().height == 600; }, 15000));

    // A corner dragged 200 px outwards and 120 px through the X server: the
    // lower right one, or the upper left one where the manager put the
    // window back near the lower right of the screen.
    const QPoint at = RootPosition();
    const bool lowerRight = at.x() + 900 + 200 < screenWidth && at.y() + 600 + 120 < screenHeight;
    ASSERT_TRUE(lowerRight || (at.x() >= 200 && at.y() >= 120))
        << "no room to drag at " << at.x() << "," << at.y();
    const QPoint corner = lowerRight ? at + QPoint(900 - 2, 600 - 2) : at + QPoint(1, 1);
    const QPoint step = lowerRight ? QPoint(20, 12) : QPoint(-20, -12);
    Pointer(corner);
    XTestFakeButtonEvent(m_x.get(), 1, True, CurrentTime);
    XFlush(m_x.get());
    // The manager takes over the drag only once the window has handled the
    // press and asked it to; on a busy machine that can come after the
    // first steps. So the mouse goes on until the window has grown, as a
    // hand would, and is let go only then.
    for (int i = 1; i <= 30; ++i) {
        Pointer(corner + step * i); // past the screen's edge X keeps it at the edge
        const XWindowAttributes attrs = Attributes();
        if (i >= 10 && attrs.width >= 1080 && attrs.height >= 700)
            break;
    }
    XTestFakeButtonEvent(m_x.get(), 1, False, CurrentTime);
    XFlush(m_x.get());
    ASSERT_TRUE(PaintedAtLeast(1080, 700, shot))
        << "X holds " << Attributes().width << " × " << Attributes().height;
    EXPECT_TRUE(shot.save(QString::fromStdString(PngPath("wm_dragged"))));
    EXPECT_EQ(Host().width(), Attributes().width);
}

} // namespace
