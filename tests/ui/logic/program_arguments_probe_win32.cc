// Prints the arguments ProgramArguments finds in this program's command
// line: their count, then each as hex bytes on a line of its own. For
// program_arguments_win32_test.cc, which starts it with command lines of
// its choosing, and program_arguments_from_linux_test.sh.
#include <cstdio>
#include <string>
#include <vector>

#include "ui/logic/program_arguments.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments =
      tarnel::ProgramArguments(argc, argv);
  std::printf("%u\n", static_cast<unsigned>(arguments.size()));
  for (const std::string& argument : arguments) {
    std::string hex;
    for (const char byte : argument) {
      char two[4];
      std::snprintf(two, sizeof two, "%02x ", static_cast<unsigned char>(byte));
      hex += two;
    }
    if (!hex.empty()) hex.pop_back();
    std::printf("%s\n", hex.c_str());
  }
  return 0;
}
