// Gives every test program a settings store, a trash, a thumbnail cache and a
// pictures folder of its own, so tests never read the user's settings or fill
// the user's trash, cache or pictures.
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace {

struct IsolatedEnvironment {
  IsolatedEnvironment() {
    std::random_device rd;
    root = std::filesystem::temp_directory_path() / ("fetchers-env-" + std::to_string(rd()));
    std::filesystem::create_directories(root / "config");
    std::filesystem::create_directories(root / "data");
    std::filesystem::create_directories(root / "cache");
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    // Projects made without a chosen folder go here, not into ~/Pictures.
    setenv("XDG_PICTURES_DIR", (root / "pictures").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
  }
  ~IsolatedEnvironment() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
  std::filesystem::path root;
};

const IsolatedEnvironment environment;

}  // namespace
