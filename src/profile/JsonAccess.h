#pragma once
// Guarded access to documents that may have been edited by hand or imported.
//
// The stored documents are read with a "creating" lookup: a member that is looked for and missing
// is added with the value null, a null value that is looked into becomes an object or an array,
// and an array grows up to the index looked at. jsoncpp's own operators throw Json::LogicError
// when the value has another type (an array where an object is expected and so on); these
// helpers never throw. A value of the wrong type reads as missing and is left as it is.
#include <json/json.h>

#include <cstdint>
#include <string>

namespace orlo::json {

// Largest array index a creating lookup will grow an array to. Guards against indices that
// came from a file making the document allocate without bound.
inline constexpr Json::ArrayIndex kMaxCreatingIndex = 4095;

// Creating lookup for reading. Returns nullptr when v is nullptr or of another type than an
// object (null turns into an object).
Json::Value* Find(Json::Value* v, const char* key);
// Creating element lookup for reading; nullptr for a non-array (null turns into an array) or an
// index beyond kMaxCreatingIndex.
Json::Value* At(Json::Value* v, Json::ArrayIndex index);

// Non-creating lookups: nullptr when missing or of another type.
const Json::Value* Peek(const Json::Value* v, const char* key);
const Json::Value* PeekAt(const Json::Value* v, Json::ArrayIndex index);

// Lookups for writing: a value of another type is replaced by an empty object (array) first.
Json::Value& Slot(Json::Value& v, const char* key);
Json::Value& SlotAt(Json::Value& v, Json::ArrayIndex index);

// True when v is a non-null object holding key (jsoncpp's isMember, but safe on any type).
bool Has(const Json::Value* v, const char* key);

// Conversions that treat a missing value or one of the wrong type as zero / false / "".
// Integers keep their low 64 bits; a real number is truncated when it fits, else 0; a boolean
// gives 0 or 1.
int64_t Int(const Json::Value* v);
// Numbers are true when non-zero, booleans as they are; anything else false.
bool Bool(const Json::Value* v);
// Strings only; anything else "".
std::string String(const Json::Value* v);

// A member read with the creating lookup and cut to 8 or 16 bits (as Int, then truncated), or
// read as a flag (1 when Bool is true, else 0).
uint8_t ByteOf(Json::Value* object, const char* key);
uint16_t WordOf(Json::Value* object, const char* key);
uint8_t FlagOf(Json::Value* object, const char* key);

// Array length, 0 for anything that is not an array.
Json::ArrayIndex Size(const Json::Value* v);

}  // namespace orlo::json
