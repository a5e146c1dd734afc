#include "net/JsonRead.h"

#include <cjson/cJSON.h>
#include <cmath>
#include <limits>

#include "net/TextConvert.h"

namespace json {

void Deleter::operator()(cJSON* item) const
{
    cJSON_Delete(item);
}

Document Parse(std::string_view text)
{
    if (text.empty())
        return nullptr;
    return Document(cJSON_ParseWithLengthOpts(text.data(), text.size(), nullptr, 0));
}

const cJSON* Member(const cJSON* object, const char* key)
{
    if (!cJSON_IsObject(object) || key == nullptr)
        return nullptr;
    // cJSON_GetObjectItem compares keys without regard to ASCII case and
    // returns the first match.
    return cJSON_GetObjectItem(object, key);
}

bool IsString(const cJSON* item)
{
    return cJSON_IsString(item) && item->valuestring != nullptr;
}
bool IsNumber(const cJSON* item)
{
    return cJSON_IsNumber(item);
}
bool IsArray(const cJSON* item)
{
    return cJSON_IsArray(item);
}
bool IsObject(const cJSON* item)
{
    return cJSON_IsObject(item);
}
bool IsNull(const cJSON* item)
{
    return cJSON_IsNull(item);
}
bool IsTrue(const cJSON* item)
{
    return cJSON_IsTrue(item);
}

std::string TextOf(const cJSON* item)
{
    return IsString(item) ? std::string(item->valuestring) : std::string();
}

std::int64_t IntegerOf(const cJSON* item)
{
    if (!cJSON_IsNumber(item))
        return 0;
    double value = std::trunc(item->valuedouble);
    if (std::isnan(value))
        return 0;
    // 2^63 is exactly representable; everything at or past it clamps.
    constexpr double kLimit = 9223372036854775808.0;
    if (value >= kLimit)
        return std::numeric_limits<std::int64_t>::max();
    if (value <= -kLimit)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

std::int32_t Int32Of(const cJSON* item)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(IntegerOf(item))));
}

bool ReadText(const cJSON* object, const char* key, std::string& target)
{
    const cJSON* item = Member(object, key);
    if (!IsString(item))
        return false;
    target = item->valuestring;
    return true;
}

bool ReadAnsiText(const cJSON* object, const char* key, std::wstring& target)
{
    const cJSON* item = Member(object, key);
    if (!IsString(item))
        return false;
    target = AnsiToWide(item->valuestring);
    return true;
}

bool ReadUtf8Text(const cJSON* object, const char* key, std::wstring& target)
{
    const cJSON* item = Member(object, key);
    if (!IsString(item))
        return false;
    target = Utf8ToWide(item->valuestring);
    return true;
}

std::string Text(const cJSON* object, const char* key)
{
    return TextOf(Member(object, key));
}

std::wstring AnsiText(const cJSON* object, const char* key)
{
    std::wstring out;
    ReadAnsiText(object, key, out);
    return out;
}

std::wstring Utf8Text(const cJSON* object, const char* key)
{
    std::wstring out;
    ReadUtf8Text(object, key, out);
    return out;
}

bool ReadInt64(const cJSON* object, const char* key, std::int64_t& target)
{
    const cJSON* item = Member(object, key);
    if (item == nullptr || cJSON_IsNull(item))
        return false;
    target = IntegerOf(item);
    return true;
}

bool ReadInt32(const cJSON* object, const char* key, std::int32_t& target)
{
    const cJSON* item = Member(object, key);
    if (item == nullptr || cJSON_IsNull(item))
        return false;
    target = Int32Of(item);
    return true;
}

bool MemberIsTrue(const cJSON* object, const char* key)
{
    return cJSON_IsTrue(Member(object, key));
}

ElementIterator& ElementIterator::operator++()
{
    if (m_item != nullptr)
        m_item = m_item->next;
    return *this;
}

Elements::Elements(const cJSON* array)
{
    if (cJSON_IsArray(array))
        m_first = array->child;
}

std::size_t Elements::size() const
{
    std::size_t n = 0;
    for (const cJSON* item = m_first; item != nullptr; item = item->next)
        ++n;
    return n;
}

} // namespace json
