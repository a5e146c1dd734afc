#pragma once

#include <memory>
#include <vector>

#include "app/Page.h"

class IShell;
class SignPage;
class MainTabPage;
class IAccountActions;
class IDeviceActions;
class IControlActions;
class ICommerceActions;
class IMarketActions;
class INotifyActions;

// Every page of the main window, made once when the window is initialised,
// and the operations each feature offers the other pages, registered here
// once from the page that offers them.
struct PageSet {
    // The order in which pages see a notification or a message (the first
    // that handles it ends the routing), hear of the sign-in, stop their work
    // and empty their lists at sign-out.
    std::vector<std::unique_ptr<IPage>> pages;
    SignPage& sign;
    MainTabPage& mainTab;
    IAccountActions& account;
    IDeviceActions& devices;
    IControlActions& control;
    ICommerceActions& commerce;
    IMarketActions& market;
    INotifyActions& notices;
};

std::unique_ptr<PageSet> CreatePages(IShell& shell);
