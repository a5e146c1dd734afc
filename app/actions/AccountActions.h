#pragma once

// What other pages may ask of the account pages.
class IAccountActions {
public:
    virtual ~IAccountActions() = default;
    // Reloads the user information (name, picture, balance) from the service.
    virtual void RefreshUserInfo() = 0;
};
