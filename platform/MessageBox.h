#pragma once

#include <functional>
#include <string>

#include "platform/WindowHandle.h"

enum class MessageBoxButtons { Ok, OkCancel };
enum class MessageBoxIcon { None, Information, Warning, Error };
enum class MessageBoxAnswer { Ok, Cancel };

// Everything that makes one box, as a hook or a test sees it.
struct MessageBoxRequest {
    std::wstring text;
    std::wstring caption;
    MessageBoxButtons buttons = MessageBoxButtons::Ok;
    MessageBoxIcon icon = MessageBoxIcon::None;
    WindowHandle owner = nullptr; // null: no owner, application-modal
    bool topmost = false;
};

// A modal box with the buttons 确定 (and 取消); returns the button chosen
// (closing the box counts as 取消 where there is one, else as 确定). May be
// called from any thread: from a worker the box runs on the UI thread and the
// worker waits until it is dismissed. Every box is also written to the
// diagnostic log. Where nobody could answer it (no widget application, or a
// headless platform, see CanShowDialogs) the answer is 确定 for an OK box and
// 取消 otherwise, so nothing goes ahead that was meant to be confirmed.
MessageBoxAnswer MessageBox(const std::wstring& text, const std::wstring& caption,
    MessageBoxButtons buttons = MessageBoxButtons::Ok, MessageBoxIcon icon = MessageBoxIcon::None,
    WindowHandle owner = nullptr, bool topmost = false);

// While set, every box goes to the hook instead of the screen, on the calling
// thread, and the hook's answer is returned. An empty function removes it.
using MessageBoxHook = std::function<MessageBoxAnswer(const MessageBoxRequest&)>;
void SetMessageBoxHook(MessageBoxHook hook);
