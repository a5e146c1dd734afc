#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/PopupMenu.h"
#include "platform/TrayIcon.h"

namespace korvana::test {

// Answers every message box while it lives and remembers each one, so a test
// can assert "exactly this box, once". Answers come from the queue given with
// Answer(), then the default (确定). Boxes may come from any thread.
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    void Answer(MessageBoxAnswer answer); // for the next box not yet answered
    void SetDefaultAnswer(MessageBoxAnswer answer);

    std::vector<MessageBoxRequest> Boxes() const;
    std::size_t Count() const;
    // How many boxes had this text and caption.
    std::size_t CountOf(const std::wstring& text, const std::wstring& caption) const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<MessageBoxRequest> m_boxes;
    std::vector<MessageBoxAnswer> m_answers;
    MessageBoxAnswer m_default = MessageBoxAnswer::Ok;
};

// Records the addresses OpenUrl is asked to open, opening none.
class UrlRecorder {
public:
    UrlRecorder();
    ~UrlRecorder();
    std::vector<std::wstring> Urls() const;
    // false: as on a desktop without a browser (the address is still recorded).
    void SetOpened(bool opened);

private:
    mutable std::mutex m_mutex;
    std::vector<std::wstring> m_urls;
    bool m_opened = true;
};

// Answers the open-file dialog with a fixed path and records the titles.
class FileChooserStub {
public:
    explicit FileChooserStub(std::wstring answer);
    ~FileChooserStub();
    void SetAnswer(std::wstring answer);
    std::vector<std::wstring> Titles() const;

private:
    mutable std::mutex m_mutex;
    std::wstring m_answer;
    std::vector<std::wstring> m_titles;
};

// Answers popup menus with a fixed id (0: dismissed) and records each menu.
class PopupMenuStub {
public:
    explicit PopupMenuStub(UINT answer = 0);
    ~PopupMenuStub();
    void SetAnswer(UINT answer);
    std::vector<std::vector<MenuItem>> Menus() const;

private:
    mutable std::mutex m_mutex;
    UINT m_answer;
    std::vector<std::vector<MenuItem>> m_menus;
};

// Stands in for the desktop's tray: records adds and removes and says
// whether a tray exists (as the test chooses).
class TrayRecorder {
public:
    explicit TrayRecorder(bool trayAvailable = true);
    ~TrayRecorder();
    std::vector<TrayIconEvent> Events() const;
    std::size_t AddCount() const;

private:
    mutable std::mutex m_mutex;
    std::vector<TrayIconEvent> m_events;
};

} // namespace korvana::test
