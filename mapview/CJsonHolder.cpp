#include "mapview/CJsonHolder.h"

#include "mapview/MapScript.h"

namespace mapview {

void CJsonHolder::Set(const std::string& key, std::string value, std::string separator) {
  members_[key] = {std::move(value), std::move(separator)};
}

std::string CJsonHolder::Text() const {
  std::string text = "{";
  for (const auto& [key, member] : members_) {
    text += '"';
    text += key;
    text += "\":\"";
    text += member.first;
    text += '"';
    text += member.second;
  }
  text += '}';
  return text;
}

void CJsonHolder::SetStatus(double lat, double lng, const std::string& status_text) {
  std::string lat_text, lng_text;
  MapScript::AppendFixed(lat_text, lat);
  MapScript::AppendFixed(lng_text, lng);
  Clear();
  Set("map_lat", std::move(lat_text), ",");
  Set("map_lng", std::move(lng_text), ",");
  Set("map_status", status_text, ",");
  Set("val_command", "update", ",");
  Set("val_end", "", "");
}

void CJsonHolder::Parse(std::string_view json) {
  int state = 0;
  std::string key, value;
  const auto store = [&](const char* separator) {
    Set(key, value, separator);
    key.clear();
    value.clear();
  };
  for (const char c : json) {
    switch (state) {
      case 0:
        if (c == '{') state = 1;
        break;
      case 1:
        if (c == '"') {
          state = 2;
        } else if (c == '}') {
          state = 0;
        }
        break;
      case 2:
        if (c == '"') {
          state = 3;
        } else if (c != '{' && c != '}' && c != ':' && c != ',') {
          key += c;
        }
        break;
      case 3:
        if (c == ':') state = 4;
        break;
      case 4:
        if (c == '"') state = 5;
        break;
      case 5:
        if (c == '"') {
          state = 6;
        } else if (c != '{' && c != '}' && c != ':' && c != ',') {
          value += c;
        }
        break;
      case 6:
        if (c == ',') {
          store(",");
          state = 1;
        } else if (c == '}') {
          store("");
          state = 0;
        }
        break;
      default: break;
    }
  }
  received_lat_ = Value("map_lat");
  received_lng_ = Value("map_lng");
  received_status_ = Value("map_status");
}

std::string CJsonHolder::Value(const std::string& key) const {
  const auto it = members_.find(key);
  return it == members_.end() ? std::string() : it->second.first;
}

}  // namespace mapview
