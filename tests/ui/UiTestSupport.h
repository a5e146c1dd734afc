#pragma once

// Shared pieces of the UI engine's tests: the application object, a skin
// folder made on the fly, and a window that records what reaches it.

#include <QApplication>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "ui/UIAutomation.h"
#include "ui/UIlib.h"

namespace korvana::test {

inline QApplication& UiApp()
{
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = { name, nullptr };
    // Never destroyed: Qt's own globals may already be gone at exit.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// A temporary skin folder that is the engine's resource source while it lives.
class SkinFolder {
public:
    SkinFolder()
    {
        UiApp();
        DuiLib::CPaintManagerUI::SetResourcePath(m_dir.path().wstring());
    }
    ~SkinFolder() { DuiLib::CPaintManagerUI::SetResourcePath(L""); }

    void Write(const std::string& name, const std::string& utf8)
    {
        std::filesystem::path p = m_dir.path() / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << utf8;
        // A new source generation, so parsed files are read again.
        DuiLib::CPaintManagerUI::SetResourcePath(m_dir.path().wstring());
    }
    std::filesystem::path Path(const std::string& name) const { return m_dir.path() / name; }

private:
    TempDir m_dir;
};

// A window on one skin file; records close requests and custom messages.
class TestWindow : public DuiLib::WindowImplBase {
public:
    explicit TestWindow(std::wstring skinFile = L"Test.xml")
        : m_file(std::move(skinFile))
    {
    }

    std::wstring GetWindowClassName() const override { return L"TestWindow"; }
    std::wstring GetSkinFolder() override { return L""; }
    std::wstring GetSkinFile() override { return m_file; }
    DuiLib::UILIB_RESOURCETYPE GetResourceType() const override { return DuiLib::UILIB_RESOURCE; }

    LRESULT OnClose(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) override
    {
        closeCodes.push_back(wParam);
        bHandled = refuseClose ? TRUE : FALSE;
        return 0;
    }
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override
    {
        if (uMsg < WM_USER) {
            bHandled = FALSE;
            return 0;
        }
        messages.push_back({ uMsg, wParam, lParam });
        bHandled = TRUE;
        return static_cast<LRESULT>(wParam) + 1;
    }
    void Notify(DuiLib::TNotifyUI& msg) override
    {
        if (onNotify)
            onNotify(msg);
        DuiLib::WindowImplBase::Notify(msg);
    }

    struct Message {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<WPARAM> closeCodes;
    std::vector<Message> messages;
    bool refuseClose = false;
    std::function<void(DuiLib::TNotifyUI&)> onNotify;

private:
    std::wstring m_file;
};

// A window file of the given size around one root control's markup.
inline std::string WindowXml(
    const std::string& body, const std::string& extra = "", const std::string& size = "400,300")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Window size=\"" + size + "\" caption=\"0,0,0,30\">\n"
        + "<Font id=\"0\" name=\"微软雅黑\" size=\"12\" default=\"true\"/>\n" + extra + body
        + "\n</Window>\n";
}

} // namespace korvana::test
