// korvana-skinview FILE.xml OUT.png [--skin DIR_OR_ZIP] [--tab NAME=INDEX ...]
//                  [--select NAME ...] [--size WxH] [--tree]
//
// Renders a window or element file of the skin headless into a PNG. FILE is
// the entry name (MainWnd.xml) or a path into the skin folder (skin/MainWnd.xml). An
// element file is drawn with the fonts and defaults of MainWnd.xml. --tree
// prints the laid-out control tree and warns about texts that do not fit.
// An element without a fixed width is drawn 700 pixels wide (a list row).

#include <QApplication>
#include <QFontMetrics>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Utf8.h"
#include "ui/UIlib.h"
#include "ui/internal/Attr.h"
#include "ui/internal/Render.h"
#include "ui/internal/Xml.h"

using namespace DuiLib;

namespace {

struct Options {
    std::string file;
    std::string out;
    std::string skin = KORVANA_SKIN_DIR;
    std::vector<std::pair<std::string, int>> tabs;
    std::vector<std::string> selects;
    int width = 0;
    int height = 0;
    bool tree = false;
};

int Usage()
{
    std::fprintf(stderr,
        "usage: korvana-skinview FILE.xml OUT.png [--skin DIR_OR_ZIP] [--tab NAME=INDEX ...]\n"
        "                        [--select NAME ...] [--size WxH] [--tree]\n");
    return 2;
}

bool ParseArgs(int argc, char** argv, Options& o)
{
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (a == "--skin") {
            const char* v = next();
            if (!v)
                return false;
            o.skin = v;
        } else if (a == "--tab") {
            const char* v = next();
            if (!v)
                return false;
            std::string s = v;
            auto eq = s.find('=');
            if (eq == std::string::npos)
                return false;
            o.tabs.emplace_back(s.substr(0, eq), std::atoi(s.c_str() + eq + 1));
        } else if (a == "--select") {
            const char* v = next();
            if (!v)
                return false;
            o.selects.emplace_back(v);
        } else if (a == "--size") {
            const char* v = next();
            if (!v || std::sscanf(v, "%dx%d", &o.width, &o.height) != 2)
                return false;
        } else if (a == "--tree") {
            o.tree = true;
        } else if (!a.empty() && a[0] == '-') {
            return false;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2)
        return false;
    o.file = positional[0];
    o.out = positional[1];
    return true;
}

// The entry a file argument names: an entry name as it is, or a path to a
// file inside the skin folder (skin/MainWnd.xml from the source tree).
std::string EntryName(const std::string& file, const std::string& skin)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_regular_file(file, error) && fs::is_directory(skin, error)) {
        const fs::path inside
            = fs::weakly_canonical(file, error).lexically_relative(fs::weakly_canonical(skin, error));
        if (!inside.empty() && *inside.begin() != "..")
            return inside.generic_string();
    }
    if (file.rfind("skin/", 0) == 0)
        return file.substr(5);
    return file;
}

std::string Utf8(const std::wstring& s)
{
    return Utf8OfWide(s);
}

// Single-line texts wider than their box are reported.
void CheckFit(CPaintManagerUI& pm, CControlUI* c, int depth)
{
    auto* label = dynamic_cast<CLabelUI*>(c);
    const RECT& rc = c->GetPos();
    std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    std::printf("%s%s \"%s\" [%d,%d %dx%d]%s", indent.c_str(), Utf8(c->GetClass()).c_str(),
        Utf8(c->GetName()).c_str(), rc.left, rc.top, rc.Width(), rc.Height(),
        c->IsVisible() ? "" : " hidden");
    if (label && !c->GetText().empty()) {
        std::printf(" text=\"%s\"", Utf8(c->GetText()).c_str());
        if (!label->IsShowHtml() && (label->GetTextStyle() & DT_SINGLELINE) && c->IsVisibleInTree()) {
            QFontMetrics fm(render::FontOf(&pm, label->GetFont()));
            int need = fm.horizontalAdvance(QString::fromStdWString(c->GetText()));
            int needH = fm.height();
            if (need > rc.Width() || needH > rc.Height() + 2)
                std::printf("  <-- TEXT DOES NOT FIT (needs %dx%d)", need, needH);
        }
    }
    std::printf("\n");
    if (auto* box = dynamic_cast<CContainerUI*>(c))
        for (int i = 0; i < box->GetCountRaw(); ++i)
            CheckFit(pm, box->GetRawItemAt(i), depth + 1);
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    Options o;
    if (!ParseArgs(argc, argv, o))
        return Usage();
    QApplication app(argc, argv);

    std::wstring skin = attr::FromUtf8(o.skin);
    bool ok = o.skin.size() > 4 && o.skin.compare(o.skin.size() - 4, 4, ".zip") == 0
        ? CPaintManagerUI::SetResourceZipFile(skin)
        : (CPaintManagerUI::SetResourcePath(skin), true);
    if (!ok) {
        std::fprintf(stderr, "korvana-skinview: cannot open the skin %s\n", o.skin.c_str());
        return 1;
    }
    o.file = EntryName(o.file, o.skin);
    std::wstring file = attr::FromUtf8(o.file);
    std::string bytes;
    if (!CPaintManagerUI::ReadResourceFile(file, bytes)) {
        std::fprintf(stderr, "korvana-skinview: %s is not in the skin\n", o.file.c_str());
        return 1;
    }
    xml::ParseResult parsed = xml::Parse(bytes);
    if (!parsed.ok) {
        std::fprintf(stderr, "korvana-skinview: %s: %s\n", o.file.c_str(), parsed.error.c_str());
        return 1;
    }

    CPaintManagerUI pm;
    CDialogBuilder builder;
    SIZE size;
    if (parsed.root.name == L"Window") {
        auto root = builder.Create(file, &pm);
        if (!root) {
            std::fprintf(stderr, "korvana-skinview: %s\n", builder.GetLastError().c_str());
            return 1;
        }
        pm.AttachDialog(std::move(root));
        size = pm.GetInitSize();
    } else {
        // Fonts and defaults of the main window, then the element on a plain ground.
        {
            CDialogBuilder windowBuilder;
            windowBuilder.Create(L"MainWnd.xml", &pm);
        }
        auto element = BuildElement(file, &pm);
        if (!element) {
            std::fprintf(stderr, "korvana-skinview: %s holds no element\n", o.file.c_str());
            return 1;
        }
        int w = element->GetFixedWidth() > 0 ? element->GetFixedWidth() : 700;
        int h = element->GetFixedHeight() > 0 ? element->GetFixedHeight() : 300;
        auto ground = std::make_unique<CVerticalLayoutUI>();
        ground->SetBkColor(0xFFE9EDF2);
        ground->SetInset(RECT { 10, 10, 10, 10 });
        ground->Add(std::move(element));
        pm.AttachDialog(std::move(ground));
        size = { w + 20, h + 20 };
    }
    if (o.width > 0 && o.height > 0)
        size = { o.width, o.height };
    if (size.cx <= 0 || size.cy <= 0)
        size = { 900, 600 };
    pm.SetClientSize(size.cx, size.cy);
    pm.UpdateLayout();

    for (const auto& [name, index] : o.tabs) {
        auto* tab = dynamic_cast<CTabLayoutUI*>(pm.FindControl(attr::FromUtf8(name)));
        if (!tab) {
            std::fprintf(stderr, "korvana-skinview: no tab layout %s\n", name.c_str());
            continue;
        }
        if (!tab->SelectItem(index, false))
            std::fprintf(stderr, "korvana-skinview: %s has no page %d\n", name.c_str(), index);
    }
    for (const auto& name : o.selects) {
        auto* option = dynamic_cast<COptionUI*>(pm.FindControl(attr::FromUtf8(name)));
        if (option)
            option->Selected(true, false);
        else
            std::fprintf(stderr, "korvana-skinview: no option %s\n", name.c_str());
    }
    pm.UpdateLayout();
    if (o.tree && pm.GetRoot())
        CheckFit(pm, pm.GetRoot(), 0);
    if (!pm.SaveImage(o.out)) {
        std::fprintf(stderr, "korvana-skinview: cannot write %s\n", o.out.c_str());
        return 1;
    }
    return 0;
}
