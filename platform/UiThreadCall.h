#pragma once

#include <functional>

// Runs work on the UI thread and returns when it is done: at once when
// called on the UI thread (or when there is no application object yet),
// otherwise queued to the UI thread while the caller blocks. For the modal
// facilities (message boxes, dialogs) a worker may call.
void RunOnUiThread(const std::function<void()>& work);

// Runs work on the UI thread from its event loop once delayMs have passed;
// work that has not run when the application ends is dropped unrun. Call it
// on the UI thread. Without an application object it runs at once.
void RunOnUiThreadLater(std::function<void()> work, int delayMs);

// True when a widget application (QApplication) exists, so dialogs can be
// shown at all.
bool HaveWidgetApplication();

// True when a modal dialog can be shown and answered: a widget application
// on a real display. On the offscreen and minimal platforms (headless runs)
// nobody could answer it, so callers take the default answer instead of
// waiting forever.
bool CanShowDialogs();

// Tests of the dialogs themselves answer them by program on the offscreen
// platform; they switch the check above off.
void ShowDialogsWithoutDisplayForTesting(bool show);
