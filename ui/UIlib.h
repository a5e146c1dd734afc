#pragma once

// The whole UI engine in one include.

#include "ui/UIButton.h"
#include "ui/UICheckBox.h"
#include "ui/UIContainer.h"
#include "ui/UIControl.h"
#include "ui/UIDefs.h"
#include "ui/UIDialogBuilder.h"
#include "ui/UIEdit.h"
#include "ui/UIHorizontalLayout.h"
#include "ui/UILabel.h"
#include "ui/UILazyContainer.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UIOption.h"
#include "ui/UIProgress.h"
#include "ui/UIShadow.h"
#include "ui/UITabLayout.h"
#include "ui/UITileLayout.h"
#include "ui/UITreeView.h"
#include "ui/UIVerticalLayout.h"
#include "ui/UIWindow.h"
