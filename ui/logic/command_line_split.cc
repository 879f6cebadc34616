#include "ui/logic/command_line_split.h"

namespace tarnel {

namespace {

class CommandLineReader {
 public:
  explicit CommandLineReader(std::string_view line) : line_(line) {}

  // Reads the next argument into |argument|; empty at the end of the line.
  void Next(std::string& argument) {
    for (;;) {
      while (At(pos_) != 0 && At(pos_) <= ' ') ++pos_;
      if (At(pos_) == '"' && At(pos_ + 1) == '"') {
        pos_ += 2;
      } else {
        break;
      }
    }
    argument.clear();
    while (At(pos_) > ' ' && argument.size() < kArgumentBufferSize) {
      if (At(pos_) == '"') {
        ++pos_;
        while (At(pos_) != 0 && At(pos_) != '"') {
          // A quoted run has no length of its own to stop at, so what does
          // not fit is dropped rather than carried into the next argument.
          if (argument.size() < kArgumentBufferSize) {
            argument.push_back(line_[pos_]);
          }
          ++pos_;
        }
        if (At(pos_) != 0) ++pos_;
      } else {
        argument.push_back(line_[pos_]);
        ++pos_;
      }
    }
  }

 private:
  // Bytes of 128 and above must compare as large, never as blanks.
  unsigned char At(std::size_t i) const {
    return i < line_.size() ? static_cast<unsigned char>(line_[i]) : 0;
  }

  std::string_view line_;
  std::size_t pos_ = 0;
};

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view command_line) {
  CommandLineReader reader(command_line);
  std::string argument;
  reader.Next(argument);  // the program itself
  std::vector<std::string> arguments;
  for (;;) {
    reader.Next(argument);
    if (argument.empty()) break;
    arguments.push_back(argument);
  }
  return arguments;
}

}  // namespace tarnel
