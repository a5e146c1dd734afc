#include "account/SignupHooks.h"

#include "account/SignupForm.h"

std::unique_ptr<ISignupForm> CreateSignupForm(IShell& shell)
{
    return std::make_unique<SignupForm>(shell);
}
