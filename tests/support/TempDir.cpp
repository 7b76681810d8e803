#include "support/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace volmar::test {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "volmar-test-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("cannot make a temporary directory");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::write(const std::string& name, const std::string& contents) const {
  const std::string p = file(name);
  std::ofstream out(p, std::ios::binary);
  out << contents;
  return p;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

bool hasTemporary(const std::string& folder) {
  for (const auto& name : namesIn(folder))
    if (name.rfind(".volmar-", 0) == 0) return true;
  return false;
}

}  // namespace volmar::test
