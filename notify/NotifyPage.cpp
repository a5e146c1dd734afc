#include "notify/NotifyPage.h"

#include <algorithm>
#include <memory>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "app/Shell.h"
#include "notify/MessagePage.h"
#include "notify/MessagePoll.h"
#include "platform/DebugLog.h"
#include "ui/UIDialogBuilder.h"
#include "ui/UIEdit.h"
#include "ui/UILabel.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UITabLayout.h"

using namespace DuiLib;

NotifyPage::NotifyPage(IShell& shell)
    : m_shell(shell)
{
}

std::vector<UINT> NotifyPage::Messages() const
{
    return { msg::UM_MESSAGES };
}

bool NotifyPage::Bind(CPaintManagerUI& paint)
{
    m_paint = &paint;
    m_optOfNotify = paint.FindControl(L"OptOfNotify");
    m_typeOptions[kMessageTypeSystem - 1] = paint.FindControl(L"OptOfSysNotify");
    m_typeOptions[kMessageTypeUser - 1] = paint.FindControl(L"OptOfUserNotify");
    m_typeOptions[kMessageTypeActivity - 1] = paint.FindControl(L"OptOfActNotify");
    m_tabOfNotify = paint.FindControlAs<CTabLayoutUI>(L"TabOfNotify");
    m_listOfNotify = paint.FindControlAs<CListUI>(L"ListOfNotify");
    for (CControlUI* option : m_typeOptions) {
        if (!option)
            return false;
    }
    return m_optOfNotify && m_tabOfNotify && m_listOfNotify;
}

// ---------------------------------------------------------------- the poll

void NotifyPage::StartMessagePoll()
{
    if (m_pollRunning) {
        m_pollPending = true;
        return;
    }
    const NotifyMembers& members = m_shell.Client().notify;
    MessagePoll poll;
    for (std::size_t i = 0; i < members.categories.size(); ++i) {
        poll.highestIds[i] = members.categories[i].highestId;
        poll.lastReadIds[i] = members.categories[i].lastReadId;
    }
    poll.marksBefore = m_marksStarted;
    poll.generation = m_generation;
    m_pollRunning = m_shell.StartWith(LoadAllMessages, std::move(poll)).IsValid();
    m_pollPending = false;
}

bool NotifyPage::OnMessage(UINT id, WPARAM wParam, LPARAM lParam)
{
    if (id != msg::UM_MESSAGES || wParam != msg::kMessagesReady)
        return false;
    m_pollRunning = false;
    if (const auto* poll = reinterpret_cast<const MessagePoll*>(lParam);
        poll && poll->generation == m_generation)
        OnMessagesReady(*poll);
    if (m_pollPending)
        StartMessagePoll();
    return true;
}

void NotifyPage::OnMessagesReady(const MessagePoll& poll)
{
    NotifyMembers& members = m_shell.Client().notify;
    members.categories = poll.categories;
    // A category opened while this poll ran may have been marked after the
    // service answered; its dot stays off unless something newer came. Any
    // other category shows what the service said (a failed mark only logs).
    for (std::size_t i = 0; i < members.categories.size(); ++i) {
        MessageCategory& block = members.categories[i];
        if (m_markStartedAt[i] > poll.marksBefore)
            block.unread = std::max(block.lastReadId, members.markedReadIds[i]) < block.highestId;
    }
    BuildMessageList(members.OfType(MessageTypeOfCategory(m_selectedCategory)));
}

void NotifyPage::OnSignedIn()
{
    StartMessagePoll();
}

void NotifyPage::OnSignedOut()
{
    ++m_generation;
    m_shell.Client().notify = NotifyMembers {};
    m_listOfNotify->RemoveAll();
    m_tabOfNotify->SelectItem(kEmptyPage);
    ShowDots();
}

// ---------------------------------------------------------------- categories

void NotifyPage::SwitchCategory(int category)
{
    m_selectedCategory = category;
    const int type = MessageTypeOfCategory(category);
    MessageCategory& block = m_shell.Client().notify.OfType(type);
    block.unread = false;
    BuildMessageList(block);
    StartMarkRead(type);
}

void NotifyPage::StartMarkRead(int type)
{
    NotifyMembers& members = m_shell.Client().notify;
    const std::int32_t id = members.OfType(type).highestId;
    std::int32_t& marked = members.markedReadIds[static_cast<std::size_t>(type - 1)];
    if (id > marked)
        marked = id;
    m_markStartedAt[static_cast<std::size_t>(type - 1)] = ++m_marksStarted;
    m_shell.StartWith(MarkMessagesRead, ReadMark { type, id }).Drop();
}

void NotifyPage::ShowDots()
{
    const NotifyMembers& members = m_shell.Client().notify;
    bool anyUnread = false;
    for (int type = 1; type <= kMessageTypeCount; ++type) {
        CControlUI* option = m_typeOptions[static_cast<std::size_t>(type - 1)];
        const bool unread = members.OfType(type).unread;
        option->SetForeImage(unread ? option->GetDisabledImage() : std::wstring());
        anyUnread = anyUnread || unread;
    }
    m_optOfNotify->SetForeImage(anyUnread ? m_optOfNotify->GetDisabledImage() : std::wstring());
}

void NotifyPage::BuildMessageList(const MessageCategory& block)
{
    ShowDots();
    m_listOfNotify->RemoveAll();
    for (const MessageRecord& record : block.list) {
        std::unique_ptr<CControlUI> element = BuildElement(L"NotifyElement.xml", m_paint);
        if (!element) {
            DebugLogW(L"NotifyElement.xml gives no element\n");
            break;
        }
        if (auto* title = element->FindSubControlAs<CLabelUI>(L"LabOfTitle"))
            title->SetText(record.title);
        if (auto* content = element->FindSubControlAs<CEditUI>(L"EditOfContent"))
            content->SetText(MessageContentText(record.description));
        if (auto* time = element->FindSubControlAs<CLabelUI>(L"LabOfTime"))
            time->SetText(record.date);
        m_listOfNotify->Add(std::move(element));
    }
    m_tabOfNotify->SelectItem(block.list.empty() ? kEmptyPage : kListPage);
}
