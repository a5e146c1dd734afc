#pragma once

#include <string>

#include "platform/WindowMessage.h"

class IShell;

namespace DuiLib {
class CControlUI;
class CPaintManagerUI;
class CTabLayoutUI;
struct TNotifyUI;
} // namespace DuiLib

// The order side of the purchase page: the payment buttons' order, its
// QR page, and the queries that ask for the state of an order paid outside
// the client until it is paid, fails or the tries run out.
class OrderFlow {
public:
    explicit OrderFlow(IShell& shell);

    bool Bind(DuiLib::CPaintManagerUI& paint);

    // The order of what is chosen now (category: the page of TabOfGoods),
    // paid with feeType; refused with a notice when nothing is chosen, and
    // asked first when points are spent at once.
    void Pay(int category, int feeType, bool renewalPlanFound);
    // UM_ORDER.
    void OnOrderMessage(WPARAM code, const std::wstring& text);
    // The poll timer; false for any other notification.
    bool OnTimer(const DuiLib::TNotifyUI& notification);
    void StopPolling();

    // The timer that asks again for the state of an order paid outside the
    // client, and how often it asks.
    static constexpr unsigned kPollTimer = 1241;
    static constexpr unsigned kPollPeriodMs = 3000;
    static constexpr int kPollCount = 100;

private:
    void StartPolling();
    void StartQuery();
    void ShowQrPicture();

    IShell& m_shell;
    DuiLib::CTabLayoutUI* m_tabOfBuy = nullptr;
    DuiLib::CControlUI* m_qrCode = nullptr;
    DuiLib::CControlUI* m_pollOwner = nullptr;
    bool m_queryRunning = false;
    int m_pollsLeft = 0;
};
