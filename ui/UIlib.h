#pragma once

// The whole UI engine in one include.

#include "ui/UIButton.h"
#include "ui/UIContainer.h"
#include "ui/UIControl.h"
#include "ui/UIDefs.h"
#include "ui/UIDialogBuilder.h"
#include "ui/UIEdit.h"
#include "ui/UILabel.h"
#include "ui/UILazyContainer.h"
#include "ui/UILayout.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UIProgress.h"
#include "ui/UIShadow.h"
#include "ui/UITreeView.h"
#include "ui/UIWindow.h"
