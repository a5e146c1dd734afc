#include "platform/SecretStore.h"

#include <atomic>
#include <cstdlib>
#include <libsecret/secret.h>
#include <sys/stat.h>

#include "platform/DebugLog.h"

namespace {

std::atomic<bool> g_enabled { false };

// Matched by attributes alone, so an entry made by another tool with the
// same two attributes is the same entry.
const SecretSchema* Schema()
{
    static const SecretSchema schema = {
        "org.korvana.Password",
        SECRET_SCHEMA_DONT_MATCH_NAME,
        {
            { "service", SECRET_SCHEMA_ATTRIBUTE_STRING },
            { "user", SECRET_SCHEMA_ATTRIBUTE_STRING },
            { nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING },
        },
        0,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
    };
    return &schema;
}

// Without a session bus, GLib would try to start one (autolaunch); there is
// no Secret Service to find then anyway.
bool SessionBusThere()
{
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st { };
    return runtime && *runtime && ::stat((std::string(runtime) + "/bus").c_str(), &st) == 0
        && S_ISSOCK(st.st_mode);
}

SecretResult Failed(GError* error, const char* what)
{
    // The message names the D-Bus error, never the secret.
    DebugLogA("Secret Service %s failed: %s\n", what, error ? error->message : "unknown");
    if (error)
        g_error_free(error);
    // A service that went away leaves a closed connection behind; the next
    // call starts over and finds the service if it has come back.
    secret_service_disconnect();
    return SecretResult::Unavailable;
}

} // namespace

void EnableSecretStore(bool on)
{
    g_enabled = on;
}

bool SecretStoreEnabled()
{
    return g_enabled.load();
}

SecretLookup LookupStoredPassword(const std::string& user)
{
    SecretLookup lookup;
    if (!SessionBusThere())
        return lookup;
    GError* error = nullptr;
    gchar* password = secret_password_lookup_sync(
        Schema(), nullptr, &error, "service", "korvana", "user", user.c_str(), nullptr);
    if (error != nullptr) {
        lookup.result = Failed(error, "lookup");
        return lookup;
    }
    if (password == nullptr) {
        lookup.result = SecretResult::NotFound;
        return lookup;
    }
    lookup.result = SecretResult::Ok;
    lookup.password = password;
    secret_password_free(password);
    return lookup;
}

SecretResult StorePassword(const std::string& user, const std::string& password)
{
    if (!SessionBusThere())
        return SecretResult::Unavailable;
    GError* error = nullptr;
    const std::string label = "Korvana password for " + user;
    const gboolean stored = secret_password_store_sync(Schema(), SECRET_COLLECTION_DEFAULT, label.c_str(),
        password.c_str(), nullptr, &error, "service", "korvana", "user", user.c_str(), nullptr);
    if (!stored || error != nullptr)
        return Failed(error, "store");
    return SecretResult::Ok;
}

SecretResult ClearStoredPassword(const std::string& user)
{
    if (!SessionBusThere())
        return SecretResult::Unavailable;
    GError* error = nullptr;
    const gboolean removed = secret_password_clear_sync(
        Schema(), nullptr, &error, "service", "korvana", "user", user.c_str(), nullptr);
    if (error != nullptr)
        return Failed(error, "clear");
    return removed ? SecretResult::Ok : SecretResult::NotFound;
}
