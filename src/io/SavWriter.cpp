#include "io/SavWriter.h"

#include <readstat.h>

#include <algorithm>
#include <memory>

#include "core/NumberReader.h"

namespace volmar::io {

namespace {

ssize_t append(const void* data, size_t len, void* ctx) {
  static_cast<std::string*>(ctx)->append(static_cast<const char*>(data), len);
  return static_cast<ssize_t>(len);
}

void check(readstat_error_t e) {
  if (e != READSTAT_OK) throw SavWriteError(std::string("The SPSS file cannot be written: ") + readstat_error_message(e));
}

}  // namespace

std::string segmentsSavBytes(const SegmentsTable& t) {
  std::unique_ptr<readstat_writer_t, void (*)(readstat_writer_t*)> w(readstat_writer_init(), readstat_writer_free);
  std::string bytes;
  check(readstat_set_data_writer(w.get(), append));
  readstat_writer_set_file_label(w.get(), "Segments");
  bool numericId = !t.ids.empty();
  std::size_t width = 1;
  for (const std::string& id : t.ids) {
    width = std::max(width, id.size());
    if (!id.empty() && !parseReal(id)) numericId = false;
  }
  readstat_variable_t* id = readstat_add_variable(w.get(), t.idName.c_str(),
                                                  numericId ? READSTAT_TYPE_DOUBLE : READSTAT_TYPE_STRING,
                                                  numericId ? 0 : std::min<std::size_t>(width, 32767));
  readstat_label_set_t* names = readstat_add_label_set(w.get(), READSTAT_TYPE_INT32, "segments");
  for (int p = 1; p <= t.prototypes; ++p) readstat_label_int32_value(names, p, ("Segment " + std::to_string(p)).c_str());
  std::vector<readstat_variable_t*> segs;
  for (int r = 1; r <= t.replications; ++r) {
    const std::string name = t.replications == 1 ? "segment" : "segment_r" + std::to_string(r);
    readstat_variable_t* v = readstat_add_variable(w.get(), name.c_str(), READSTAT_TYPE_INT32, 0);
    const std::string label = "Segment of " + std::to_string(t.prototypes) + " prototypes, replication " +
                              std::to_string(r) + " of " + std::to_string(t.replications);
    readstat_variable_set_label(v, label.c_str());
    readstat_variable_set_label_set(v, names);
    readstat_variable_set_measure(v, READSTAT_MEASURE_NOMINAL);
    segs.push_back(v);
  }
  check(readstat_begin_writing_sav(w.get(), &bytes, static_cast<long>(t.ids.size())));
  for (std::size_t row = 0; row < t.ids.size(); ++row) {
    check(readstat_begin_row(w.get()));
    const std::string& text = t.ids[row];
    if (numericId) {
      const auto v = parseReal(text);
      check(v ? readstat_insert_double_value(w.get(), id, static_cast<double>(*v)) : readstat_insert_missing_value(w.get(), id));
    } else {
      check(readstat_insert_string_value(w.get(), id, text.c_str()));
    }
    for (std::size_t r = 0; r < segs.size(); ++r) {
      const int label = t.labels[row][r];
      check(label > 0 ? readstat_insert_int32_value(w.get(), segs[r], label) : readstat_insert_missing_value(w.get(), segs[r]));
    }
    check(readstat_end_row(w.get()));
  }
  check(readstat_end_writing(w.get()));
  return bytes;
}

}  // namespace volmar::io
