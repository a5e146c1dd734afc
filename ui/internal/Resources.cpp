#include "ui/internal/Resources.h"

#include <zip.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

#include "platform/DebugLog.h"
#include "platform/Utf8.h"
#include "ui/internal/Attr.h"

namespace DuiLib::resources {

namespace {

    constexpr std::size_t kMaxFileBytes = 64u * 1024u * 1024u;

    struct ZipArchive {
        std::vector<unsigned char> bytes;
        zip_t* archive = nullptr;

        ~ZipArchive()
        {
            if (archive)
                zip_discard(archive);
        }
    };

    struct State {
        std::wstring folder;
        std::unique_ptr<ZipArchive> zip;
        std::map<int, std::pair<const void*, std::size_t>> registered;
        unsigned generation = 1;
    };

    State& S()
    {
        static State s;
        return s;
    }

    std::string Normalised(const std::wstring& name)
    {
        std::string n = Utf8OfWide(name);
        for (auto& c : n)
            if (c == '\\')
                c = '/';
        while (n.size() > 2 && n.compare(0, 2, "./") == 0)
            n.erase(0, 2);
        return n;
    }

    bool ReadDiskFile(const std::filesystem::path& path, std::string& bytes)
    {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec))
            return false;
        auto size = std::filesystem::file_size(path, ec);
        if (ec || size > kMaxFileBytes)
            return false;
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return false;
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return true;
    }

    bool ReadZipEntry(ZipArchive& zip, const std::string& name, std::string& bytes)
    {
        zip_int64_t index = zip_name_locate(zip.archive, name.c_str(), ZIP_FL_NOCASE);
        if (index < 0)
            return false;
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(zip.archive, static_cast<zip_uint64_t>(index), 0, &st) != 0
            || !(st.valid & ZIP_STAT_SIZE) || st.size > kMaxFileBytes)
            return false;
        zip_file_t* file = zip_fopen_index(zip.archive, static_cast<zip_uint64_t>(index), 0);
        if (!file)
            return false;
        bytes.resize(static_cast<std::size_t>(st.size));
        zip_int64_t got = st.size ? zip_fread(file, bytes.data(), st.size) : 0;
        zip_fclose(file);
        if (got < 0 || static_cast<zip_uint64_t>(got) != st.size) {
            bytes.clear();
            return false;
        }
        return true;
    }

} // namespace

void SetFolder(const std::wstring& folder)
{
    S().folder = folder;
    S().zip.reset();
    ++S().generation;
}

std::wstring Folder()
{
    return S().folder;
}

bool SetZip(const void* data, std::size_t size)
{
    auto zip = std::make_unique<ZipArchive>();
    if (data && size)
        zip->bytes.assign(
            static_cast<const unsigned char*>(data), static_cast<const unsigned char*>(data) + size);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(zip->bytes.data(), zip->bytes.size(), 0, &error);
    if (source) {
        zip->archive = zip_open_from_source(source, ZIP_RDONLY, &error);
        if (!zip->archive)
            zip_source_free(source);
    }
    zip_error_fini(&error);
    if (!zip->archive) {
        DebugLogA("DuiLib: the skin package is not a readable ZIP (%zu bytes)\n", size);
        return false;
    }
    S().zip = std::move(zip);
    S().folder.clear();
    ++S().generation;
    return true;
}

bool SetZipFile(const std::wstring& path)
{
    std::string bytes;
    if (!ReadDiskFile(std::filesystem::path(Utf8OfWide(path)), bytes)) {
        DebugLogA("DuiLib: cannot read the skin package %s\n", Utf8OfWide(path).c_str());
        return false;
    }
    return SetZip(bytes.data(), bytes.size());
}

void Register(int id, const void* data, std::size_t size)
{
    S().registered[id] = { data, size };
}

bool UseRegistered(int id)
{
    auto it = S().registered.find(id);
    if (it == S().registered.end())
        return false;
    return SetZip(it->second.first, it->second.second);
}

bool Read(const std::wstring& name, std::string& bytes)
{
    bytes.clear();
    if (name.empty())
        return false;
    std::string n = Normalised(name);
    if (!n.empty() && n[0] == '/')
        return ReadDiskFile(std::filesystem::path(n), bytes);
    if (S().zip)
        return ReadZipEntry(*S().zip, n, bytes);
    std::filesystem::path base = S().folder.empty() ? std::filesystem::current_path()
                                                    : std::filesystem::path(Utf8OfWide(S().folder));
    return ReadDiskFile(base / n, bytes);
}

bool HasSource()
{
    return S().zip != nullptr || !S().folder.empty();
}

unsigned Generation()
{
    return S().generation;
}

} // namespace DuiLib::resources
