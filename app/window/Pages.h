#pragma once

#include <memory>
#include <vector>

#include "app/Page.h"

class IShell;

// Every page of the main window, made once when the window is initialised.
// The order is the order in which pages see a notification or a message
// (the first that handles it ends the routing) and in which they empty their
// lists at sign-out.
std::vector<std::unique_ptr<IPage>> CreatePages(IShell& shell);
