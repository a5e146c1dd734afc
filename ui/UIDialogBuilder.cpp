#include "ui/UIDialogBuilder.h"

#include <functional>
#include <map>
#include <unordered_map>

#include "platform/DebugLog.h"
#include "platform/Utf8.h"
#include "ui/UIButton.h"
#include "ui/UICheckBox.h"
#include "ui/UIContainer.h"
#include "ui/UIDialogBuilderCallback.h"
#include "ui/UIEdit.h"
#include "ui/UIHorizontalLayout.h"
#include "ui/UILabel.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UIOption.h"
#include "ui/UIProgress.h"
#include "ui/UIRichEdit.h"
#include "ui/UITabLayout.h"
#include "ui/UIText.h"
#include "ui/UITileLayout.h"
#include "ui/UITreeNode.h"
#include "ui/UITreeView.h"
#include "ui/UIVerticalLayout.h"
#include "ui/internal/Attr.h"
#include "ui/internal/ManagerImpl.h"
#include "ui/internal/Resources.h"
#include "ui/internal/Xml.h"

namespace DuiLib {

namespace {

    constexpr int kMaxIncludeDepth = 16;
    constexpr int kMaxIncludeCount = 1000;

    using Factory = std::unique_ptr<CControlUI> (*)();

    template <class T> std::unique_ptr<CControlUI> Make()
    {
        return std::make_unique<T>();
    }

    const std::unordered_map<std::wstring, Factory>& Factories()
    {
        static const std::unordered_map<std::wstring, Factory> map = {
            { L"Control", &Make<CControlUI> },
            { L"Container", &Make<CContainerUI> },
            { L"VerticalLayout", &Make<CVerticalLayoutUI> },
            { L"HorizontalLayout", &Make<CHorizontalLayoutUI> },
            { L"TabLayout", &Make<CTabLayoutUI> },
            { L"TileLayout", &Make<CTileLayoutUI> },
            { L"List", &Make<CListUI> },
            { L"ListHeader", &Make<CListHeaderUI> },
            { L"ListHeaderItem", &Make<CListHeaderItemUI> },
            { L"ListContainerElement", &Make<CListContainerElementUI> },
            { L"ListLabelElement", &Make<CListLabelElementUI> },
            { L"ListTextElement", &Make<CListTextElementUI> },
            { L"TreeView", &Make<CTreeViewUI> },
            { L"TreeNode", &Make<CTreeNodeUI> },
            { L"Label", &Make<CLabelUI> },
            { L"Text", &Make<CTextUI> },
            { L"Button", &Make<CButtonUI> },
            { L"Option", &Make<COptionUI> },
            { L"CheckBox", &Make<CCheckBoxUI> },
            { L"RichEdit", &Make<CRichEditUI> },
            { L"Edit", &Make<CEditUI> },
            { L"Progress", &Make<CProgressUI> },
        };
        return map;
    }

    struct ParsedFile {
        bool ok = false;
        xml::Node root;
        std::string error;
    };

    // Parsed files, valid while the resource source stays the same.
    std::shared_ptr<const ParsedFile> Parsed(const std::wstring& file)
    {
        static std::map<std::wstring, std::shared_ptr<const ParsedFile>> cache;
        static unsigned generation = 0;
        if (generation != resources::Generation()) {
            cache.clear();
            generation = resources::Generation();
        }
        auto it = cache.find(file);
        if (it != cache.end())
            return it->second;
        auto parsed = std::make_shared<ParsedFile>();
        std::string bytes;
        if (!resources::Read(file, bytes)) {
            parsed->error = "cannot read " + Utf8OfWide(file);
        } else {
            xml::ParseResult r = xml::Parse(bytes);
            parsed->ok = r.ok;
            parsed->error = r.ok ? std::string() : Utf8OfWide(file) + ": " + r.error;
            parsed->root = std::move(r.root);
        }
        // Missing files are not cached: they may appear (a folder source).
        if (parsed->ok)
            cache.emplace(file, parsed);
        return parsed;
    }

    class Builder {
    public:
        Builder(CPaintManagerUI* manager, IDialogBuilderCallback* callback)
            : m_pm(manager)
            , m_cb(callback)
        {
        }

        // The controls of a file's root, with the Window entries applied.
        std::vector<std::unique_ptr<CControlUI>> BuildRoot(const xml::Node& root, int depth)
        {
            // The window's own settings come from the file it names, not from the
            // Window roots of the files it includes.
            if (root.name == L"Window" && depth == 0)
                ApplyWindow(root);
            std::vector<std::unique_ptr<CControlUI>> out;
            for (const auto& child : root.children)
                BuildInto(child, out, depth);
            return out;
        }

    private:
        void ApplyWindow(const xml::Node& window)
        {
            if (m_pm)
                for (const auto& [k, v] : window.attributes)
                    m_pm->SetWindowAttribute(k, v);
        }

        void ApplyFont(const xml::Node& n)
        {
            int id = -1, size = 12;
            bool bold = false, underline = false, italic = false, isDefault = false;
            std::wstring face;
            for (const auto& [k, v] : n.attributes) {
                bool ok = true;
                if (k == L"id")
                    ok = attr::ParseInt(v, id);
                else if (k == L"name")
                    face = v;
                else if (k == L"size")
                    ok = attr::ParseInt(v, size) && size > 0;
                else if (k == L"bold")
                    ok = attr::ParseBool(v, bold);
                else if (k == L"underline")
                    ok = attr::ParseBool(v, underline);
                else if (k == L"italic")
                    ok = attr::ParseBool(v, italic);
                else if (k == L"default")
                    ok = attr::ParseBool(v, isDefault);
                else if (k != L"shared")
                    attr::LogUnknown(L"Font", k, v);
                if (!ok)
                    attr::LogBadValue(L"Font", k, v);
            }
            if (id < 0) {
                DebugLogA("DuiLib: a Font without a valid id (line %d) is skipped\n", n.line);
                return;
            }
            if (m_pm)
                m_pm->AddFont(id, face, size, bold, underline, italic, isDefault);
        }

        void ApplyDefault(const xml::Node& n)
        {
            const std::wstring* name = n.Attribute(L"name");
            const std::wstring* value = n.Attribute(L"value");
            if (!name || !value) {
                DebugLogA("DuiLib: a Default without name or value (line %d) is skipped\n", n.line);
                return;
            }
            if (m_pm)
                m_pm->AddDefaultAttributeList(*name, *value);
        }

        void ApplyImage(const xml::Node& n)
        {
            const std::wstring* name = n.Attribute(L"name");
            const std::wstring* file = n.Attribute(L"file");
            if (!name || !file) {
                DebugLogA("DuiLib: an Image without name or file (line %d) is skipped\n", n.line);
                return;
            }
            if (m_pm)
                m_pm->AddImageAlias(*name, *file);
        }

        void Include(const xml::Node& n, std::vector<std::unique_ptr<CControlUI>>& out, int depth)
        {
            const std::wstring* source = n.Attribute(L"source");
            int count = 1;
            if (const std::wstring* c = n.Attribute(L"count"); c && !attr::ParseInt(*c, count))
                attr::LogBadValue(L"Include", L"count", *c);
            if (!source) {
                DebugLogA("DuiLib: an Include without source (line %d) is skipped\n", n.line);
                return;
            }
            if (depth >= kMaxIncludeDepth) {
                DebugLogA("DuiLib: Include of %s nested too deeply, skipped\n", Utf8OfWide(*source).c_str());
                return;
            }
            auto parsed = Parsed(*source);
            if (!parsed->ok) {
                DebugLogA("DuiLib: Include skipped: %s\n", parsed->error.c_str());
                return;
            }
            count = std::clamp(count, 0, kMaxIncludeCount);
            for (int i = 0; i < count; ++i)
                for (auto& c : BuildRoot(parsed->root, depth + 1))
                    out.push_back(std::move(c));
        }

        // Parsed Default lists, shared by every build until a Default changes.
        const std::vector<std::pair<std::wstring, std::wstring>>* DefaultsOf(const std::wstring& cls)
        {
            using Pairs = std::vector<std::pair<std::wstring, std::wstring>>;
            static std::map<std::pair<unsigned, std::wstring>, Pairs> cache;
            static unsigned version = 0;
            if (version != DefaultsVersion()) {
                cache.clear();
                version = DefaultsVersion();
            }
            auto key = std::make_pair(m_pm ? m_pm->GetImpl().id : 0u, cls);
            auto it = cache.find(key);
            if (it != cache.end())
                return &it->second;
            std::wstring list = m_pm ? m_pm->GetDefaultAttributeList(cls)
                                     : CPaintManagerUI::GetSharedDefaultAttributeList(cls);
            Pairs pairs;
            if (!list.empty() && !attr::ParseAttributeList(list, pairs))
                DebugLogA("DuiLib: Default of %s is malformed; what could be read is used\n",
                    Utf8OfWide(cls).c_str());
            return &cache.emplace(std::move(key), std::move(pairs)).first->second;
        }

        void BuildInto(const xml::Node& n, std::vector<std::unique_ptr<CControlUI>>& out, int depth)
        {
            if (n.name == L"Font") {
                ApplyFont(n);
                return;
            }
            if (n.name == L"Default") {
                ApplyDefault(n);
                return;
            }
            if (n.name == L"Image") {
                ApplyImage(n);
                return;
            }
            if (n.name == L"Include") {
                Include(n, out, depth);
                return;
            }
            std::unique_ptr<CControlUI> control;
            if (m_cb)
                control = m_cb->CreateControl(n.name);
            if (!control)
                control = CreateControlOfClass(n.name);
            if (!control) {
                DebugLogA(
                    "DuiLib: unknown element <%s> (line %d) skipped\n", Utf8OfWide(n.name).c_str(), n.line);
                return;
            }
            if (!n.children.empty()) {
                auto* box = dynamic_cast<CContainerUI*>(control.get());
                std::vector<std::unique_ptr<CControlUI>> children;
                for (const auto& child : n.children)
                    BuildInto(child, children, depth);
                if (box) {
                    for (auto& c : children)
                        if (!box->Add(std::move(c)))
                            DebugLogA("DuiLib: <%s> (line %d) does not take that child; skipped\n",
                                Utf8OfWide(n.name).c_str(), n.line);
                } else if (!children.empty()) {
                    DebugLogA("DuiLib: <%s> (line %d) is no container; its children are skipped\n",
                        Utf8OfWide(n.name).c_str(), n.line);
                }
            }
            if (const auto* defaults = DefaultsOf(n.name))
                for (const auto& [k, v] : *defaults)
                    control->SetAttribute(k, v);
            for (const auto& [k, v] : n.attributes)
                control->SetAttribute(k, v);
            out.push_back(std::move(control));
        }

        CPaintManagerUI* m_pm;
        IDialogBuilderCallback* m_cb;
    };

    std::unique_ptr<CControlUI> FirstOf(std::vector<std::unique_ptr<CControlUI>> controls, std::string& error)
    {
        if (controls.empty()) {
            error = "no control in the file";
            return nullptr;
        }
        if (controls.size() > 1)
            DebugLogA("DuiLib: %zu controls at the top of a file; only the first is used\n", controls.size());
        return std::move(controls.front());
    }

} // namespace

std::unique_ptr<CControlUI> CreateControlOfClass(const std::wstring& className)
{
    auto it = Factories().find(className);
    return it == Factories().end() ? nullptr : it->second();
}

std::unique_ptr<CControlUI> CDialogBuilder::Create(
    const std::wstring& file, CPaintManagerUI* manager, IDialogBuilderCallback* callback)
{
    m_error.clear();
    auto parsed = Parsed(file);
    if (!parsed->ok) {
        m_error = parsed->error;
        DebugLogA("DuiLib: %s\n", m_error.c_str());
        return nullptr;
    }
    Builder builder(manager, callback);
    return FirstOf(builder.BuildRoot(parsed->root, 0), m_error);
}

std::unique_ptr<CControlUI> CDialogBuilder::CreateFromXml(
    const std::string& utf8, CPaintManagerUI* manager, IDialogBuilderCallback* callback)
{
    m_error.clear();
    xml::ParseResult r = xml::Parse(utf8);
    if (!r.ok) {
        m_error = r.error;
        DebugLogA("DuiLib: %s\n", m_error.c_str());
        return nullptr;
    }
    Builder builder(manager, callback);
    return FirstOf(builder.BuildRoot(r.root, 0), m_error);
}

std::unique_ptr<CControlUI> BuildElement(const std::wstring& templateFile, CPaintManagerUI* manager)
{
    auto parsed = Parsed(templateFile);
    if (!parsed->ok)
        return nullptr;
    Builder builder(manager, nullptr);
    auto controls = builder.BuildRoot(parsed->root, 0);
    if (controls.empty())
        return nullptr;
    return std::move(controls.front());
}

void SizeTileToContent(CTileLayoutUI* tile, int count)
{
    if (!tile)
        return;
    SIZE item = tile->GetItemSize();
    int width = tile->GetWidth() > 0 ? tile->GetWidth() : tile->GetFixedWidth();
    if (item.cx <= 0)
        return;
    int columns = width / item.cx;
    if (count < 1 || columns < 1)
        return;
    int rows = (count + columns - 1) / columns;
    tile->SetFixedHeight(rows * (item.cy + tile->GetChildPadding()));
}

} // namespace DuiLib
