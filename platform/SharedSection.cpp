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

std::mutex g_nameMutex;
std::string g_name = kSyncSectionName;

std::string SectionName()
{
    std::lock_guard lock(g_nameMutex);
    return g_name;
}

struct OpenSection {
    std::mutex mutex;
    void* view = nullptr;
};

OpenSection& Section()
{
    static OpenSection section;
    return section;
}

void* MapSection()
{
    const int fd = shm_open(SectionName().c_str(), O_CREAT | O_RDWR, 0600);
    if (fd < 0) {
        DebugLogA("shm_open FAILED,Error:%d\n", errno);
        return nullptr;
    }
    void* view = nullptr;
    if (ftruncate(fd, static_cast<off_t>(kSyncSectionSize)) == 0) {
        view = mmap(nullptr, kSyncSectionSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (view == MAP_FAILED) {
            DebugLogA("mmap FAILED,Error:%d\n", errno);
            view = nullptr;
        }
    } else {
        DebugLogA("ftruncate FAILED,Error:%d\n", errno);
    }
    close(fd);  // the mapping keeps the section
    return view;
}

}  // namespace

bool WriteSyncSection(const std::string& text)
{
    if (text.size() + 1 > kSyncSectionSize)
        return false;
    OpenSection& section = Section();
    std::lock_guard lock(section.mutex);
    if (section.view == nullptr)
        section.view = MapSection();
    if (section.view == nullptr)
        return false;
    std::memset(section.view, 0, kSyncSectionSize);
    std::memcpy(section.view, text.data(), text.size());
    return true;
}

std::string ReadSyncSection()
{
    const int fd = shm_open(SectionName().c_str(), O_RDONLY, 0);
    if (fd < 0)
        return {};
    // Someone else may have made it smaller: reading past its end would fault.
    struct stat info {};
    if (fstat(fd, &info) != 0 || info.st_size <= 0) {
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

void SetSyncSectionNameForTesting(const std::string& name)
{
    std::string chosen = name.empty() ? std::string(kSyncSectionName) : name;
    std::lock_guard lock(g_nameMutex);
    g_name = std::move(chosen);
    // The next write maps the newly named section.
    OpenSection& section = Section();
    std::lock_guard sectionLock(section.mutex);
    if (section.view != nullptr)
        munmap(section.view, kSyncSectionSize);
    section.view = nullptr;
}
