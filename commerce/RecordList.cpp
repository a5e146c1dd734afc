#include "commerce/RecordList.h"

#include <memory>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "app/Shell.h"
#include "commerce/BuyLayout.h"
#include "commerce/Records.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UIOption.h"
#include "ui/UITabLayout.h"

using namespace DuiLib;

RecordList::RecordList(IShell& shell)
    : m_shell(shell)
{
}

bool RecordList::Bind(CPaintManagerUI& paint)
{
    m_tabOfBuy = paint.FindControlAs<CTabLayoutUI>(L"TabOfBuy");
    m_tabOfRecord = paint.FindControlAs<CTabLayoutUI>(L"TabOfRcord");
    m_listOfOrder = paint.FindControlAs<CListUI>(L"ListOfOrder");
    m_pointRecords = paint.FindControlAs<COptionUI>(L"OptOfPointRecord");
    return m_tabOfBuy && m_tabOfRecord && m_listOfOrder && m_pointRecords;
}

void RecordList::Load(bool points)
{
    m_shell.BeginWait();
    if (m_tasks.Start(m_shell.ClientRef(), points ? LoadPointRecords : LoadOrderRecords)
        == TaskKind::Outcome::NotStarted)
        m_shell.EndWait();
}

void RecordList::ShowPointRecords()
{
    // The list that comes shows point records: so does the option.
    m_pointRecords->Selected(true, false);
    Load(true);
}

void RecordList::OnRecords(WPARAM code)
{
    m_shell.EndWait();
    CommerceMembers& commerce = m_shell.Client().commerce;
    AdoptRecords(commerce);
    if (code != msg::kRecordsRead)
        return;
    auto* buy = m_shell.Paint().FindControlAs<COptionUI>(L"OptOfBuy");
    if (buy && !buy->IsSelected())
        buy->Selected(true);
    m_tabOfBuy->SelectItem(kBuyRecordPage);

    const std::vector<RecordEntry>& records = commerce.records;
    m_listOfOrder->RemoveAll();
    for (std::size_t i = 0; i < records.size(); ++i) {
        auto* row
            = static_cast<CListTextElementUI*>(m_listOfOrder->Add(std::make_unique<CListTextElementUI>()));
        row->SetTag(i);
        row->SetName(L"ListElementOfOrder");
        const RecordEntry& record = records[i];
        row->SetText(0, record.date);
        row->SetText(1, record.plan);
        row->SetText(2, record.amount);
        row->SetText(3, record.status);
        row->SetText(4, record.description);
    }
    m_tabOfRecord->SelectItem(records.empty() ? 1 : 0);
}

void RecordList::Clear()
{
    m_tasks.DropQueued();
    m_shell.Client().commerce.records.clear();
    m_listOfOrder->RemoveAll();
}
