#pragma once

#include <string>
#include <vector>

namespace volmar::test {

// A fresh directory under the system's temporary folder, removed with its
// contents when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // Writes a file in the directory and returns its path.
  std::string write(const std::string& name, const std::string& contents) const;
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Whole content of a file ("" when it cannot be read).
std::string readFile(const std::string& path);
// The names in a folder, sorted.
std::vector<std::string> namesIn(const std::string& folder);
// Whether a save left a temporary file (".volmar-...") in the folder.
bool hasTemporary(const std::string& folder);

}  // namespace volmar::test
