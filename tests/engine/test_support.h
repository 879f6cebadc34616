// Small helpers shared by the engine's test programs: printable byte strings,
// a temporary folder that removes itself, and whole-file reads and writes.
#ifndef TARNEL_TESTS_ENGINE_TEST_SUPPORT_H_
#define TARNEL_TESTS_ENGINE_TEST_SUPPORT_H_

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace tarnel {
namespace testing_support {

/// |text| with every byte outside printable ASCII as \xNN, cut to |limit|.
inline std::string Escaped(const std::string& text, std::size_t limit = 80) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (unsigned char c : text) {
    if (out.size() > limit) {
      out += "...";
      break;
    }
    if (c >= 0x20 && c < 0x7f && c != '\\' && c != '"') {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out + "\"";
}

/// A fresh folder under /tmp, removed with everything in it on destruction.
class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/tarnel-engine-test-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  /// The path of |name| inside the folder.
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

/// The whole file, or "<missing>" when it cannot be opened.
inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return "<missing>";
  std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
  in.seekg(0);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

}  // namespace testing_support
}  // namespace tarnel

#endif  // TARNEL_TESTS_ENGINE_TEST_SUPPORT_H_
