#pragma once

#include <array>

#include "app/Page.h"
#include "app/actions/NotifyActions.h"
#include "notify/NotifyMembers.h"

class IShell;
struct MessageCategory;
struct MessagePoll;

namespace DuiLib {
class CControlUI;
class CListUI;
class CTabLayoutUI;
} // namespace DuiLib

// The notification page (page 4 of TabOfMain): the message poll, the three
// category lists with their red dots, and the dot on OptOfNotify. The main
// menu routes the category options here (SwitchCategory); the window's timer
// 1000 calls StartMessagePoll.
class NotifyPage final : public IPage, public INotifyActions {
public:
    explicit NotifyPage(IShell& shell);

    std::vector<std::wstring> Routes() const override { return {}; }
    std::vector<UINT> Messages() const override;
    bool Bind(DuiLib::CPaintManagerUI& paint) override;
    bool OnNotify(DuiLib::TNotifyUI& notification) override { return false; }
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSignedIn() override;
    void OnSignedOut() override;

    // One poll at a time: a poll asked for while one runs starts when it ends.
    void StartMessagePoll() override;
    void SwitchCategory(int category) override;

    int SelectedMessageCategory() const { return m_selectedCategory; }

    // The pages of TabOfNotify.
    static constexpr int kListPage = 0;
    static constexpr int kEmptyPage = 1;

private:
    void OnMessagesReady(const MessagePoll& poll);
    void StartMarkRead(int type);
    // The dots of all four options, and the list of one category.
    void BuildMessageList(const MessageCategory& block);
    void ShowDots();

    IShell& m_shell;
    DuiLib::CPaintManagerUI* m_paint = nullptr;
    DuiLib::CControlUI* m_optOfNotify = nullptr;
    // Indexed by type - 1.
    std::array<DuiLib::CControlUI*, 3> m_typeOptions {};
    DuiLib::CTabLayoutUI* m_tabOfNotify = nullptr;
    DuiLib::CListUI* m_listOfNotify = nullptr;

    int m_selectedCategory = 0;
    bool m_pollRunning = false;
    // Message polls never overlap: one asked for while one runs waits and
    // runs once after it.
    bool m_pollPending = false;
    // Read marks started in this sign-in, and per type - 1 the count when the
    // category's last one started.
    unsigned m_marksStarted = 0;
    std::array<unsigned, kMessageTypeCount> m_markStartedAt {};
    // Raised by every sign-out, so a poll of the last sign-in is dropped.
    unsigned m_generation = 0;
};
