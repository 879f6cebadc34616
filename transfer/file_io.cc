#include "transfer/file_io.h"

#include <cstdint>

namespace tarnel {

void FileWriter::Write(const char* data, std::uint64_t length) {
  progress_.offered += length;
  if (progress_.failed) return;
  const std::uint64_t done = WritePiece(data, length, progress_.written);
  progress_.written += done;
  if (done != length) progress_.failed = true;
}

}  // namespace tarnel
