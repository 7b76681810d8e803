#pragma once

#include <string>

namespace volmar::test {

// Reading a printed PDF file back with the poppler tools (pdfinfo,
// pdftotext, pdftoppm).

// Number of pages; -1 when the file cannot be read as a PDF.
int pdfPageCount(const std::string& file);

// Text of one page (1-based), as pdftotext gives it.
std::string pdfPageText(const std::string& file, int page);

// Pixels of one page, rendered in grey at a low resolution, that are
// clearly darker than white.
long pdfInkPixels(const std::string& file, int page);

}  // namespace volmar::test
