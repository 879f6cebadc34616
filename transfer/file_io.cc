#include "transfer/file_io.h"

namespace tarnel {

WriteOutcome WriteWholeFile(const char* path, const char* data,
                            std::uint64_t length) {
  FileWriter writer;
  if (!writer.Open(path)) {
    WriteOutcome outcome;
    outcome.status = WriteOutcome::kOpenFailed;
    return outcome;
  }
  writer.Write(data, length);
  return writer.Commit();
}

}  // namespace tarnel
