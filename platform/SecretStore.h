#pragma once

#include <string>

// Secrets in the desktop's Secret Service (D-Bus org.freedesktop.secrets,
// through libsecret): one password per login name, under the attributes
// "service" = "korvana" and "user" = the name. Texts are UTF-8. Calls block
// for one D-Bus round trip; without a session bus they return at once.

enum class SecretResult {
    Ok,
    NotFound, // the service answered: no such entry
    Unavailable, // no session bus, no Secret Service, a locked keyring, ...
};

struct SecretLookup {
    SecretResult result = SecretResult::Unavailable;
    std::string password;
};

SecretLookup LookupStoredPassword(const std::string& user);
SecretResult StorePassword(const std::string& user, const std::string& password);
// Removes the user's entry; NotFound when there was none.
SecretResult ClearStoredPassword(const std::string& user);

// Only the client itself keeps its passwords there: tests and tools that use
// the settings file leave the user's keyring alone unless they turn it on.
void EnableSecretStore(bool on);
bool SecretStoreEnabled();
