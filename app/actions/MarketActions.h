#pragma once

// What other pages may ask of the app market page.
class IMarketActions {
public:
    virtual ~IMarketActions() = default;
    virtual void StartCatalogueSync() = 0;
    // Selects the hot-apps view.
    virtual void SelectHotView() = 0;
    // Reloads the apps selected for installation (the page is being shown).
    virtual void ReloadSelectedApps() = 0;
    // Brings the market page forward through its menu entry (the install
    // column shows the devices selected meanwhile).
    virtual void ShowInstall() = 0;
};
