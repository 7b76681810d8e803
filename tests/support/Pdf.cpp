#include "support/Pdf.h"

#include <cstdio>
#include <regex>

#include "support/TempDir.h"

namespace volmar::test {

namespace {

std::string quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string run(const std::string& command) {
  std::string out;
  if (std::FILE* p = ::popen((command + " 2>/dev/null").c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

}  // namespace

int pdfPageCount(const std::string& file) {
  std::smatch m;
  const std::string info = run("pdfinfo " + quoted(file));
  if (!std::regex_search(info, m, std::regex("Pages:\\s+([0-9]+)"))) return -1;
  return std::stoi(m[1]);
}

std::string pdfPageText(const std::string& file, int page) {
  const std::string p = std::to_string(page);
  return run("pdftotext -layout -f " + p + " -l " + p + " " + quoted(file) + " -");
}

long pdfInkPixels(const std::string& file, int page) {
  TempDir dir;
  const std::string p = std::to_string(page);
  run("pdftoppm -r 40 -gray -singlefile -f " + p + " -l " + p + " " + quoted(file) + " " + quoted(dir.file("page")));
  const std::string pgm = readFile(dir.file("page.pgm"));
  // "P5 width height maxval" and one byte a pixel.
  std::smatch m;
  if (!std::regex_search(pgm, m, std::regex("^P5\\s+([0-9]+)\\s+([0-9]+)\\s+([0-9]+)\\s"))) return -1;
  const std::size_t pixels = std::stoul(m[1]) * std::stoul(m[2]);
  const std::size_t start = static_cast<std::size_t>(m.length(0));
  if (pgm.size() < start + pixels) return -1;
  long ink = 0;
  for (std::size_t i = 0; i < pixels; ++i)
    if (static_cast<unsigned char>(pgm[start + i]) < 200) ++ink;
  return ink;
}

}  // namespace volmar::test
