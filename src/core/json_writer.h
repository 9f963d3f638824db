#pragma once
// A small streaming JSON writer for the tool modes (scene dump, trace). Keys and texts
// are UTF-8; reals are written with enough digits to round-trip.
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace velquora {

class JsonWriter {
public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}

  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  JsonWriter& Key(std::string_view key);

  JsonWriter& Value(std::string_view utf8_text);
  JsonWriter& Value(const char* utf8_text) { return Value(std::string_view(utf8_text)); }
  JsonWriter& Value(bool flag);
  JsonWriter& Value(std::int64_t number);
  JsonWriter& Value(std::int32_t number) { return Value(std::int64_t{number}); }
  JsonWriter& Value(std::uint32_t number) { return Value(std::int64_t{number}); }
  JsonWriter& Value(long double number);
  JsonWriter& Value(double number) { return Value(static_cast<long double>(number)); }
  JsonWriter& Null();

  // Key followed by a value, for the common case.
  template <typename T>
  JsonWriter& Field(std::string_view key, const T& value) {
    Key(key);
    return Value(value);
  }

private:
  void BeforeValue();
  std::ostream& out_;
  std::vector<bool> has_items_;  // one entry per open object or array
  bool after_key_ = false;
};

std::string JsonEscape(std::string_view utf8_text);

}  // namespace velquora
