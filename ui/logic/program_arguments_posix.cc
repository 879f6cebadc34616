#include "ui/logic/program_arguments.h"

namespace tarnel {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  // An empty argument ends the list, as it does in a split command line.
  for (int i = 1; i < argc && argv[i] && argv[i][0] != '\0'; ++i) {
    arguments.emplace_back(argv[i]);
  }
  return arguments;
}

}  // namespace tarnel
