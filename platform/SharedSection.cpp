#include "platform/SharedSection.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/DebugLog.h"

namespace {

struct SectionState {
    std::mutex mutex;
    std::string overrideName;
    std::string created; // the name of the section this process made
};

SectionState& State()
{
    static SectionState state;
    return state;
}

std::string NameLocked(const SectionState& state)
{
    return state.overrideName.empty() ? SyncSectionNameFor(::getuid()) : state.overrideName;
}

// A fresh section of the full size, only for this user. O_EXCL after the
// unlink: a name someone else holds is never opened and written into.
int CreateFreshSection(const std::string& name)
{
    if (shm_unlink(name.c_str()) != 0 && errno != ENOENT)
        DebugLogA("shm_unlink FAILED,Error:%d\n", errno);
    const int fd = shm_open(name.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        DebugLogA("shm_open FAILED,Error:%d\n", errno);
        return -1;
    }
    // The umask may only narrow the mode; say it exactly.
    if (fchmod(fd, 0600) != 0 || ftruncate(fd, static_cast<off_t>(kSyncSectionSize)) != 0) {
        DebugLogA("ftruncate FAILED,Error:%d\n", errno);
        close(fd);
        shm_unlink(name.c_str());
        return -1;
    }
    return fd;
}

} // namespace

std::string SyncSectionNameFor(uid_t user)
{
    return std::string(kSyncSectionPrefix) + std::to_string(static_cast<unsigned long>(user));
}

std::string SyncSectionName()
{
    SectionState& state = State();
    std::lock_guard lock(state.mutex);
    return NameLocked(state);
}

bool WriteSyncSection(const std::string& text)
{
    if (text.size() + 1 > kSyncSectionSize)
        return false;
    SectionState& state = State();
    std::lock_guard lock(state.mutex);
    const std::string name = NameLocked(state);
    const int fd = CreateFreshSection(name);
    if (fd < 0)
        return false;
    void* view = mmap(nullptr, kSyncSectionSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd); // the name keeps the section until it is unlinked
    if (view == MAP_FAILED) {
        DebugLogA("mmap FAILED,Error:%d\n", errno);
        shm_unlink(name.c_str());
        return false;
    }
    std::memset(view, 0, kSyncSectionSize);
    std::memcpy(view, text.data(), text.size());
    munmap(view, kSyncSectionSize);
    state.created = name;
    return true;
}

std::string ReadSyncSection()
{
    const int fd = shm_open(SyncSectionName().c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0)
        return {};
    // Someone else may have made it smaller: reading past its end would fault.
    // One that another user made is not our client's list.
    struct stat info { };
    if (fstat(fd, &info) != 0 || info.st_size <= 0 || info.st_uid != ::geteuid()) {
        close(fd);
        return {};
    }
    const std::size_t size = std::min(kSyncSectionSize, static_cast<std::size_t>(info.st_size));
    void* view = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    close(fd);
    if (view == MAP_FAILED)
        return {};
    const char* bytes = static_cast<const char*>(view);
    std::string text(bytes, strnlen(bytes, size));
    munmap(view, size);
    return text;
}

void RemoveSyncSection()
{
    SectionState& state = State();
    std::lock_guard lock(state.mutex);
    if (state.created.empty())
        return;
    shm_unlink(state.created.c_str());
    state.created.clear();
}

void SetSyncSectionNameForTesting(const std::string& name)
{
    SectionState& state = State();
    std::lock_guard lock(state.mutex);
    state.overrideName = name;
}
