#include "tests/support/DesktopHooks.h"

#include "platform/Browser.h"
#include "platform/FileDialog.h"

namespace korvana::test {

MessageBoxRecorder::MessageBoxRecorder()
{
    SetMessageBoxHook([this](const MessageBoxRequest& request) {
        std::lock_guard lock(m_mutex);
        m_boxes.push_back(request);
        if (m_answers.empty())
            return m_default;
        MessageBoxAnswer answer = m_answers.front();
        m_answers.erase(m_answers.begin());
        return answer;
    });
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    SetMessageBoxHook(nullptr);
}

void MessageBoxRecorder::Answer(MessageBoxAnswer answer)
{
    std::lock_guard lock(m_mutex);
    m_answers.push_back(answer);
}

void MessageBoxRecorder::SetDefaultAnswer(MessageBoxAnswer answer)
{
    std::lock_guard lock(m_mutex);
    m_default = answer;
}

std::vector<MessageBoxRequest> MessageBoxRecorder::Boxes() const
{
    std::lock_guard lock(m_mutex);
    return m_boxes;
}

std::size_t MessageBoxRecorder::Count() const
{
    std::lock_guard lock(m_mutex);
    return m_boxes.size();
}

std::size_t MessageBoxRecorder::CountOf(const std::wstring& text, const std::wstring& caption) const
{
    std::lock_guard lock(m_mutex);
    std::size_t n = 0;
    for (const auto& box : m_boxes)
        if (box.text == text && box.caption == caption)
            ++n;
    return n;
}

void MessageBoxRecorder::Clear()
{
    std::lock_guard lock(m_mutex);
    m_boxes.clear();
}

UrlRecorder::UrlRecorder()
{
    SetOpenUrlHook([this](const std::wstring& url) {
        std::lock_guard lock(m_mutex);
        m_urls.push_back(url);
        return m_opened;
    });
}

void UrlRecorder::SetOpened(bool opened)
{
    std::lock_guard lock(m_mutex);
    m_opened = opened;
}

UrlRecorder::~UrlRecorder()
{
    SetOpenUrlHook(nullptr);
}

std::vector<std::wstring> UrlRecorder::Urls() const
{
    std::lock_guard lock(m_mutex);
    return m_urls;
}

FileChooserStub::FileChooserStub(std::wstring answer)
    : m_answer(std::move(answer))
{
    SetChooseFileHook([this](WindowHandle, const std::wstring& title) {
        std::lock_guard lock(m_mutex);
        m_titles.push_back(title);
        return m_answer;
    });
}

FileChooserStub::~FileChooserStub()
{
    SetChooseFileHook(nullptr);
}

void FileChooserStub::SetAnswer(std::wstring answer)
{
    std::lock_guard lock(m_mutex);
    m_answer = std::move(answer);
}

std::vector<std::wstring> FileChooserStub::Titles() const
{
    std::lock_guard lock(m_mutex);
    return m_titles;
}

PopupMenuStub::PopupMenuStub(UINT answer)
    : m_answer(answer)
{
    SetPopupMenuHook([this](const std::vector<MenuItem>& items) {
        std::lock_guard lock(m_mutex);
        m_menus.push_back(items);
        return m_answer;
    });
}

PopupMenuStub::~PopupMenuStub()
{
    SetPopupMenuHook(nullptr);
}

void PopupMenuStub::SetAnswer(UINT answer)
{
    std::lock_guard lock(m_mutex);
    m_answer = answer;
}

std::vector<std::vector<MenuItem>> PopupMenuStub::Menus() const
{
    std::lock_guard lock(m_mutex);
    return m_menus;
}

TrayRecorder::TrayRecorder(bool trayAvailable)
{
    SetTrayAvailabilityForTesting(trayAvailable ? 1 : 0);
    SetTrayIconHook([this](const TrayIconEvent& event) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(event);
    });
}

TrayRecorder::~TrayRecorder()
{
    SetTrayIconHook(nullptr);
    SetTrayAvailabilityForTesting(-1);
}

std::vector<TrayIconEvent> TrayRecorder::Events() const
{
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::size_t TrayRecorder::AddCount() const
{
    std::lock_guard lock(m_mutex);
    std::size_t n = 0;
    for (const auto& e : m_events)
        if (e.kind == TrayIconEvent::Kind::Added)
            ++n;
    return n;
}

} // namespace korvana::test
