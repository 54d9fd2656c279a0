#include "profile/JsonAccess.h"

#include <cmath>

namespace orlo::json {

Json::Value* Find(Json::Value* v, const char* key) {
  if (!v || !(v->isNull() || v->isObject())) return nullptr;
  return &(*v)[key];
}

Json::Value* At(Json::Value* v, Json::ArrayIndex index) {
  if (!v || !(v->isNull() || v->isArray()) || index > kMaxCreatingIndex) return nullptr;
  return &(*v)[index];
}

const Json::Value* Peek(const Json::Value* v, const char* key) {
  if (!v || !v->isObject()) return nullptr;
  return v->find(key, key + std::char_traits<char>::length(key));
}

const Json::Value* PeekAt(const Json::Value* v, Json::ArrayIndex index) {
  if (!v || !v->isArray() || index >= v->size()) return nullptr;
  return &(*v)[index];
}

Json::Value& Slot(Json::Value& v, const char* key) {
  if (!v.isNull() && !v.isObject()) v = Json::Value(Json::objectValue);
  return v[key];
}

Json::Value& SlotAt(Json::Value& v, Json::ArrayIndex index) {
  if (!v.isNull() && !v.isArray()) v = Json::Value(Json::arrayValue);
  return v[index];
}

bool Has(const Json::Value* v, const char* key) { return Peek(v, key) != nullptr; }

int64_t Int(const Json::Value* v) {
  if (!v) return 0;
  switch (v->type()) {
    case Json::intValue:
      return v->asLargestInt();
    case Json::uintValue:
      return static_cast<int64_t>(v->asLargestUInt());
    case Json::realValue: {
      double d = v->asDouble();
      // Outside this range the conversion is undefined; such a value reads as missing.
      if (!std::isfinite(d) || d <= -9.2e18 || d >= 9.2e18) return 0;
      return static_cast<int64_t>(d);
    }
    case Json::booleanValue:
      return v->asBool() ? 1 : 0;
    default:
      return 0;
  }
}

bool Bool(const Json::Value* v) {
  if (!v) return false;
  switch (v->type()) {
    case Json::booleanValue:
      return v->asBool();
    case Json::intValue:
    case Json::uintValue:
      return Int(v) != 0;
    case Json::realValue:
      return v->asDouble() != 0.0;
    default:
      return false;
  }
}

std::string String(const Json::Value* v) {
  if (!v || !v->isString()) return {};
  return v->asString();
}

uint8_t ByteOf(Json::Value* object, const char* key) { return static_cast<uint8_t>(Int(Find(object, key))); }
uint16_t WordOf(Json::Value* object, const char* key) { return static_cast<uint16_t>(Int(Find(object, key))); }
uint8_t FlagOf(Json::Value* object, const char* key) { return Bool(Find(object, key)) ? 1 : 0; }

Json::ArrayIndex Size(const Json::Value* v) { return v && v->isArray() ? v->size() : 0; }

}  // namespace orlo::json
