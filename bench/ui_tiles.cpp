// The device page with 1000 tiles: building them from "DeviceElement.xml"
// into TileOfDevice, laying the page out and painting it (target <= 100 ms),
// and one repaint while scrolling (target <= 8 ms). Headless (offscreen).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <string>

#include "skin/SkinPackage.h"
#include "ui/UIlib.h"
#include "ui/internal/ManagerImpl.h"

using namespace DuiLib;

namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "bench_ui_tiles";
    static char* argv[] = { name, nullptr };
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// The main window on its device page, as the client shows it after login.
struct DevicePage {
    DevicePage()
    {
        App();
        korvana::SkinPackage blob = korvana::EmbeddedSkinPackage();
        CPaintManagerUI::SetResourceZip(blob.data, blob.size);
        CDialogBuilder builder;
        pm.AttachDialog(builder.Create(L"MainWnd.xml", &pm));
        pm.SetClientSize(900, 600);
        for (auto [tab, page] :
            { std::pair { L"TabOfMainWnd", 1 }, { L"TabOfMain", 2 }, { L"TabOfDeviceShown", 1 } })
            if (auto* t = dynamic_cast<CTabLayoutUI*>(pm.FindControl(tab)))
                t->SelectItem(page, false);
        tiles = dynamic_cast<CTileLayoutUI*>(pm.FindControl(L"TileOfDevice"));
    }

    // One tile bound the way the device view binds it.
    void AddTile(int d)
    {
        auto element = BuildElement(L"DeviceElement.xml");
        if (!element)
            return;
        CControlUI* tile = tiles->Add(std::move(element));
        std::wstring id = std::to_wstring(100000 + d);
        std::wstring info = L"A_" + id + L"\r\n10.0.0." + std::to_wstring(d % 250) + L"_VM" + id;
        for (const wchar_t* name : { L"BtnOfDeviceInfo", L"CtrlOfInfoUp", L"CtrlOfInfoDown", L"CBoxOfCtrl" })
            if (CControlUI* c = tile->FindSubControl(name))
                c->SetToolTip(info);
        for (const wchar_t* name : { L"BtnOfDeviceInfo", L"BtnOfScreenshot", L"CBoxOfModifyDeviceName",
                 L"EditOfDeviceName", L"TabOfDeviceDetail", L"CBoxOfCtrl", L"BtnOfDeviceTimeLeft",
                 L"BtnOfReboot", L"BtnOfRecover", L"BtnOfUploadFile", L"BtnOfChangeGroup",
                 L"BtnOfDeviceInstall", L"LabOfDevivceFunc", L"CBoxOfDevicd" })
            if (CControlUI* c = tile->FindSubControl(name))
                c->SetTag(static_cast<std::uintptr_t>(d));
        if (CControlUI* c = tile->FindSubControl(L"LabOfDeviceName"))
            c->SetText(L"VM" + id);
        if (CControlUI* c = tile->FindSubControl(L"EditOfDeviceName"))
            c->SetText(L"云手机" + std::to_wstring(d));
        if (CControlUI* c = tile->FindSubControl(L"HLayoutOfCtrl"))
            c->SetBkImage(L"/nonexistent/korvana/Cache/" + id + L".jpeg");
        if (CControlUI* c = tile->FindSubControl(L"BtnOfDeviceTimeLeft"))
            c->SetText(L"<f 11>A </f>2026-12-31 23:59:59");
        if (CControlUI* c = tile->FindSubControl(L"BtnOfChangeGroup"))
            c->SetText(L"默认分组");
    }

    void Paint()
    {
        QPainter p(&image);
        pm.GetImpl().Paint(p, RECT { 0, 0, 900, 600 });
    }

    CPaintManagerUI pm;
    CTileLayoutUI* tiles = nullptr;
    QImage image { 900, 600, QImage::Format_ARGB32_Premultiplied };
};

void BM_Build1000TilesLayOutAndPaint(benchmark::State& state)
{
    DevicePage page;
    if (!page.tiles) {
        state.SkipWithError("no TileOfDevice");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        page.tiles->RemoveAll();
        state.ResumeTiming();
        for (int d = 0; d < 1000; ++d)
            page.AddTile(d);
        page.pm.UpdateLayout();
        page.Paint();
    }
    state.counters["tiles"] = page.tiles->GetCount();
}
BENCHMARK(BM_Build1000TilesLayOutAndPaint)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RepaintWhileScrolling1000Tiles(benchmark::State& state)
{
    DevicePage page;
    if (!page.tiles) {
        state.SkipWithError("no TileOfDevice");
        return;
    }
    for (int d = 0; d < 1000; ++d)
        page.AddTile(d);
    page.pm.UpdateLayout();
    page.Paint();
    int step = 0;
    for (auto _ : state) {
        SIZE range = page.tiles->GetScrollRange();
        int y = range.cy > 0 ? (step++ * 40) % range.cy : 0;
        page.tiles->SetScrollPos(SIZE { 0, y });
        page.Paint();
    }
    state.counters["range"] = page.tiles->GetScrollRange().cy;
}
BENCHMARK(BM_RepaintWhileScrolling1000Tiles)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
