#pragma once
// The keys of the settings store, with their types.
#include <optional>
#include <string>
#include <vector>

enum class SettingType { Integer, String };

struct SettingKey {
  std::string name;
  SettingType type;
};

// Every key a program reads or writes; Quorvash also has "search host".
std::vector<SettingKey> SettingKeys(bool quorvash);
std::optional<SettingKey> FindSettingKey(const std::string& name, bool quorvash);
