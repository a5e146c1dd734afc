#pragma once

// The app market's part of the ClientManager: the app list of the current
// view, the last app query, the sub-category list and the apps selected for
// installation. Filled in by the market feature.
struct CatalogueMembers {
};
