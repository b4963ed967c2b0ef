#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace mapview {

// The flat JSON objects exchanged with the map page: members kept ordered by
// key, each with the separator written after it, all values quoted. Outgoing,
// the status message; incoming, a page's message read without escapes, of
// which the position and status are kept.
class CJsonHolder {
 public:
  void Clear() { members_.clear(); }
  void Set(const std::string& key, std::string value, std::string separator);
  // "{" + each member as "key":"value" and its separator, in key order + "}".
  std::string Text() const;

  // The status message: map_lat and map_lng as "%f" (C locale), map_status,
  // val_command "update" and val_end empty, the last without a separator.
  void SetStatus(double lat, double lng, const std::string& status_text);

  // Reads a page's message with the flat state machine (no escapes, every
  // value quoted; braces, colons and commas never belong to a key or value)
  // into the members, then keeps map_lat, map_lng and map_status (empty
  // when missing).
  void Parse(std::string_view json);
  const std::string& received_lat() const { return received_lat_; }
  const std::string& received_lng() const { return received_lng_; }
  const std::string& received_status() const { return received_status_; }

  const std::map<std::string, std::pair<std::string, std::string>>& members() const { return members_; }

 private:
  std::string Value(const std::string& key) const;

  std::map<std::string, std::pair<std::string, std::string>> members_;
  std::string received_lat_, received_lng_, received_status_;
};

}  // namespace mapview
