#pragma once

#include <string>

// One running copy per user: an exclusive flock on a file named after the
// lock name, in $XDG_RUNTIME_DIR (else the temporary folder, with the user id
// in the name since that folder is shared). Once taken the lock is kept until
// the process ends; the descriptor is not inherited by started programs.
enum class InstanceLockResult {
    Acquired, // we are the only copy
    AlreadyRunning, // another process holds the lock
    Unavailable, // the lock file could not be opened; run without a lock
};

InstanceLockResult AcquireInstanceLock(const std::string& name);

// The file AcquireInstanceLock(name) locks.
std::string InstanceLockPath(const std::string& name);
