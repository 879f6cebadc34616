#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/logic/program_arguments.h"

namespace tarnel {
namespace {

using Arguments = std::vector<std::string>;

Arguments Collect(std::vector<std::string> argv_texts) {
  std::vector<char*> argv;
  for (std::string& text : argv_texts) argv.push_back(text.data());
  argv.push_back(nullptr);
  return ProgramArguments(static_cast<int>(argv.size() - 1), argv.data());
}

TEST(ProgramArgumentsTest, SkipsTheProgramItself) {
  EXPECT_EQ(Collect({"tarnel", "-a", "In File.txt"}),
            (Arguments{"-a", "In File.txt"}));
}

TEST(ProgramArgumentsTest, NoArgumentsGivesAnEmptyList) {
  EXPECT_EQ(Collect({"tarnel"}), Arguments{});
  EXPECT_EQ(ProgramArguments(0, nullptr), Arguments{});
}

TEST(ProgramArgumentsTest, EmptyArgumentEndsTheList) {
  EXPECT_EQ(Collect({"tarnel", "-r", "", "-a"}), Arguments{"-r"});
  EXPECT_EQ(Collect({"tarnel", "", "-a"}), Arguments{});
}

TEST(ProgramArgumentsTest, KeepsBytesAndBlanksAsTheShellGaveThem) {
  EXPECT_EQ(Collect({"tarnel", " a \"b\" ", "\x83\x65"}),
            (Arguments{" a \"b\" ", "\x83\x65"}));
}

}  // namespace
}  // namespace tarnel
