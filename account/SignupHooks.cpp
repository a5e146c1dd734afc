#include "account/SignupHooks.h"

// Registration is not part of this build yet: the sign-in page works alone.
// The registration form replaces this body with its own construction.
std::unique_ptr<ISignupForm> CreateSignupForm(IShell&)
{
    return nullptr;
}
