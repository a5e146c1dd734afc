#pragma once

#include <string>
#include <vector>

namespace DuiLib {
class CPaintManagerUI;
}

// The named controls the window and its pages work with. The window checks
// all of them when it is initialised, whether or not the page that uses one
// exists yet, so a skin that lacks one fails at once and not later.
const std::vector<std::wstring>& MainWindowControlNames();

// The names of that list that the window's tree does not hold.
std::vector<std::wstring> MissingControls(const DuiLib::CPaintManagerUI& paint);
// False when one is missing; each missing one goes to the log.
bool AllControlsPresent(const DuiLib::CPaintManagerUI& paint);

// The rich edits whose pages want "textchanged" are switched to report it.
void ReportTextChanges(DuiLib::CPaintManagerUI& paint);
