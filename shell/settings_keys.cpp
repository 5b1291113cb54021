#include "shell/settings_keys.h"

std::vector<SettingKey> SettingKeys(bool quorvash) {
  std::vector<SettingKey> keys = {
      {"history", SettingType::String},    {"No scroll", SettingType::Integer},
      {"MaxCount", SettingType::Integer},  {"RangeFrom", SettingType::Integer},
      {"RangeTo", SettingType::Integer},   {"file size", SettingType::Integer},
      {"level", SettingType::Integer},     {"show link", SettingType::Integer},
      {"show thread", SettingType::Integer}, {"image", SettingType::Integer},
      {"text", SettingType::Integer},      {"others", SettingType::Integer},
      {"diff root", SettingType::Integer},
  };
  if (quorvash) keys.push_back({"search host", SettingType::String});
  return keys;
}

std::optional<SettingKey> FindSettingKey(const std::string& name, bool quorvash) {
  for (const auto& key : SettingKeys(quorvash))
    if (key.name == name) return key;
  return std::nullopt;
}
