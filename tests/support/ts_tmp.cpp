#include "tests/support/ts_tmp.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

static std::string ts_slashes(std::string s) {
  std::replace(s.begin(), s.end(), '\\', '/');
  return s;
}

namespace {
// made before the first use, so removed after the last one at exit
struct ts_folder {
  fs::path path;
  ts_folder() {
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path base = fs::temp_directory_path();
    for (int i = 0;; i++) {   // parallel runs must never share a folder
      path = base / ("trelk_test_" + std::to_string(stamp) + "_" + std::to_string(i));
      std::error_code ec;
      if (fs::create_directory(path, ec) && !ec) break;
    }
  }
  ~ts_folder() {
    std::error_code ec;
    fs::current_path(path.parent_path(), ec);   // Windows keeps the current folder
    for (auto &e : fs::recursive_directory_iterator(path, ec))   // read-only files too
      fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path, ec);
  }
};
}  // namespace

std::string ts_tmpdir(void) {
  static ts_folder f;
  return ts_slashes(f.path.string());
}

std::string ts_tmpfile(const std::string &name) { return ts_tmpdir() + "/" + name; }

std::string ts_newdir(const std::string &tag) {
  static int serial;
  std::string d = ts_tmpfile(tag + std::to_string(serial++));
  std::error_code ec;
  fs::create_directories(d, ec);
  return d;
}

void ts_enter(void) {
  std::error_code ec;
  fs::current_path(ts_tmpdir(), ec);
}

static std::string ts_exe(void) {
#ifdef _WIN32
  char buf[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  return std::string(buf, n < sizeof buf ? n : 0);
#else
  std::error_code ec;
  return fs::read_symlink("/proc/self/exe", ec).string();
#endif
}

std::string ts_here(const std::string &name) {
  static std::string dir = ts_slashes(fs::path(ts_exe()).parent_path().string());
  return dir + "/" + name;
}
