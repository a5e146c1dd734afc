#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct cJSON;

// The reading rules every payload parser follows:
// - an object member is found by case-insensitive key, first match in
//   document order wins;
// - a text is taken only from a JSON string, otherwise the target keeps its
//   default;
// - an integer is taken from a member that exists and is not null: the
//   number's value truncated toward zero and clamped to 64 bits (32-bit
//   targets keep the low 32 bits); a member that is no number reads as 0;
// - arrays are walked in document order.
// Every function accepts null items and items of the wrong type. (A file
// that also uses nlohmann's library names it nlohmann::json in full.)
//
//   for (const cJSON* item : json::Elements(json::Member(payload, "data"))) {
//       record.id = json::Utf8Text(item, "id");
//       json::ReadInt64(item, "time_left", record.timeLeft);
//   }
namespace json {

struct Deleter {
    void operator()(cJSON* item) const;
};
// An owned parsed document.
using Document = std::unique_ptr<cJSON, Deleter>;

// Parses the first complete JSON value of the text (what follows it is
// ignored); none when the text does not start with one. Nesting deeper than
// the parser's limit counts as not JSON.
Document Parse(std::string_view text);

// The member of an object, or null (also when `object` is no object).
const cJSON* Member(const cJSON* object, const char* key);

// Type tests of an item (false for null).
bool IsString(const cJSON* item);
bool IsNumber(const cJSON* item);
bool IsArray(const cJSON* item);
bool IsObject(const cJSON* item);
bool IsNull(const cJSON* item);
bool IsTrue(const cJSON* item);

// The text of a JSON string item, else the empty text.
std::string TextOf(const cJSON* item);
// The 64-bit integer value of a number item, else 0.
std::int64_t IntegerOf(const cJSON* item);
// The 32-bit value (low 32 bits of the 64-bit one).
std::int32_t Int32Of(const cJSON* item);

// Member text: assigns `target` only when the member is a JSON string.
bool ReadText(const cJSON* object, const char* key, std::string& target);
// As above, converted: payload strings written as they are arrive in the
// ANSI code page, those written with "\u" escapes in UTF-8; each parser picks
// the conversion its field needs.
bool ReadAnsiText(const cJSON* object, const char* key, std::wstring& target);
bool ReadUtf8Text(const cJSON* object, const char* key, std::wstring& target);
// Value forms of the three: empty when the member is no JSON string.
std::string Text(const cJSON* object, const char* key);
std::wstring AnsiText(const cJSON* object, const char* key);
std::wstring Utf8Text(const cJSON* object, const char* key);

// Member integers: `target` is left alone when the member is missing or
// null; a member that is no number gives 0. Returns whether it was assigned.
bool ReadInt64(const cJSON* object, const char* key, std::int64_t& target);
bool ReadInt32(const cJSON* object, const char* key, std::int32_t& target);
// True exactly when the member is the JSON literal true.
bool MemberIsTrue(const cJSON* object, const char* key);

// The elements of an array in document order; nothing for any other item.
class ElementIterator {
public:
    explicit ElementIterator(const cJSON* item = nullptr)
        : m_item(item)
    {
    }
    const cJSON* operator*() const { return m_item; }
    ElementIterator& operator++();
    bool operator==(const ElementIterator& other) const { return m_item == other.m_item; }

private:
    const cJSON* m_item;
};

class Elements {
public:
    explicit Elements(const cJSON* array);
    ElementIterator begin() const { return ElementIterator(m_first); }
    ElementIterator end() const { return ElementIterator(); }
    std::size_t size() const;
    bool empty() const { return m_first == nullptr; }

private:
    const cJSON* m_first = nullptr;
};

} // namespace json
