// Times file-to-file sorts against GNU sort on the same input, in the same
// run, and measures the peak memory of ours.
//
//   tarnel_bench_sort INPUT [--repeat N] [--workdir DIR] [--only NAME]
//                     [--program PATH] [--baseline PATH] [--short PATH]
//                     [--peer PATH]
//
// Every run happens in a child process: ours is a fork that calls RunSort
// once, GNU sort a fork that runs `sort` with LC_ALL=C. A fresh process per
// run keeps the peak resident size of one run apart from the others; runs of
// the two alternate so that noise on the machine falls on both alike.
//
// With --program the whole program runs each workload too, and then three
// more rows: the whole-line sort into /dev/null (no flush to disk), the
// whole-line sort of --short's file (many short lines) and of a two-line
// file (start-up alone). --baseline names an older build of the program,
// timed in the same rounds, so that one run shows before and after.
// --peer names a second sort program that takes GNU sort's options (the Rust
// coreutils' sort), run with the same words in the same rounds. The
// whole-line rounds also copy the input to a file flushed to disk with dd,
// the floor that no file-to-file sort can go below.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "engine/run_sort.h"
#include "platform/message_boxes.h"
#include "platform/service.h"

namespace tarnel {
namespace {

struct Workload {
  const char* name;
  std::int32_t sort_mode;
  std::int32_t key_kind;
  std::int32_t key_pos;
  std::vector<std::string> gnu_arguments;  ///< after "sort", before the files
  std::vector<std::string> program_arguments;  ///< the same for `tarnel -a+`
};

const std::vector<Workload>& Workloads() {
  static const std::vector<Workload> workloads = {
      {"whole-line", 0, kKeyColumn, 0, {}, {}},
      {"ignore-case-unique",
       kSortIgnoreCase | kSortUnique,
       kKeyColumn,
       0,
       {"-f", "-u"},
       {"-i", "-u"}},
      // A separator that never occurs makes the whole line field 1.
      {"column-4-text", 0, kKeyColumn, 3, {"-t\x01", "-k1.4"}, {"-4"}},
      {"field-3-text", 0, kKeyField, 2, {"-t,", "-k3,3"}, {"-3f"}},
      {"field-2-number",
       0,
       kKeyField | kKeyNumeric,
       1,
       {"-t,", "-k2,2n"},
       {"-2nf"}},
  };
  return workloads;
}

struct Sample {
  double seconds = 0;
  std::uint64_t peak_bytes = 0;  ///< peak resident size of the run
  double cpu_seconds = 0;        ///< user + system time
  bool ok = false;
};

double Seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// The child's peak resident size, as the kernel saw it at exit.
std::uint64_t PeakBytes(const rusage& usage) {
  return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
}

Sample WaitFor(pid_t child, std::chrono::steady_clock::time_point started) {
  Sample sample;
  int status = 0;
  rusage usage{};
  if (::wait4(child, &status, 0, &usage) != child) return sample;
  sample.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started)
          .count();
  sample.peak_bytes = PeakBytes(usage);
  sample.cpu_seconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  sample.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return sample;
}

// Forgets the peak resident size so far, so that what the fork inherited
// before RunSort does not count. Needs Linux's clear_refs.
void ResetPeakResidentSize() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}

// Removes the output of an earlier run (only a regular file: the output may
// be a device such as /dev/null, which must stay what it is), and flushes
// what the earlier runs left unwritten: the sorts that do not flush their
// output leave it to the system, and the next run's own flush would wait
// on it.
void RemoveOldOutput(const std::string& output) {
  struct stat info;
  if (::lstat(output.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
    ::unlink(output.c_str());
  }
  ::sync();
}

Sample RunOurs(const Workload& w, const std::string& input,
               const std::string& output) {
  RemoveOldOutput(output);
  const auto started = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    ResetPeakResidentSize();
    std::setlocale(LC_ALL, "C");
    ConsoleMessageBoxes console;
    Installed<MessageBoxes> boxes(&console);
    RunSort(nullptr, w.sort_mode, input.c_str(), output.c_str(), w.key_pos,
            w.key_kind, 1);
    ::_exit(LastResult == 0 ? 0 : 1);
  }
  if (child < 0) return {};
  return WaitFor(child, started);
}

// Runs |words| as a child process in the C locale without a display.
Sample RunCommand(std::vector<std::string> words) {
  const auto started = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    ::setenv("LC_ALL", "C", 1);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  if (child < 0) return {};
  return WaitFor(child, started);
}

Sample RunGnuSort(const Workload& w, const std::string& input,
                  const std::string& output, const std::string& sort = "sort") {
  RemoveOldOutput(output);
  std::vector<std::string> words = {sort};
  words.insert(words.end(), w.gnu_arguments.begin(), w.gnu_arguments.end());
  words.insert(words.end(), {"-o", output, input});
  return RunCommand(std::move(words));
}

// The copy floor: the input copied to |output| and flushed to disk.
Sample RunCopy(const std::string& input, const std::string& output) {
  RemoveOldOutput(output);
  return RunCommand({"dd", "if=" + input, "of=" + output, "bs=4M", "conv=fsync",
                     "status=none"});
}

// The whole program in batch mode, start-up included.
Sample RunProgram(const std::string& program, const Workload& w,
                  const std::string& input, const std::string& output) {
  RemoveOldOutput(output);
  std::vector<std::string> words = {program, "-a+", "-f", input, "-o", output};
  words.insert(words.end(), w.program_arguments.begin(),
               w.program_arguments.end());
  return RunCommand(std::move(words));
}

struct Series {
  std::vector<double> time, cpu;
  std::vector<std::uint64_t> peak;
  bool ok = true;
  void Add(const Sample& s) {
    time.push_back(s.seconds);
    cpu.push_back(s.cpu_seconds);
    peak.push_back(s.peak_bytes);
    ok = ok && s.ok;
  }
};

template <typename T>
T Median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool IsWholeLine(const Workload& w) {
  return w.sort_mode == 0 && w.key_kind == kKeyColumn && w.key_pos == 0;
}

// Our output ends lines with CR LF, GNU's with LF.
std::string WithoutCarriageReturns(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::size_t CountLineFeeds(const std::string& path) {
  const std::string text = ReadAll(path);
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A cheap check that both sorted the same thing: the whole-line sort must
// agree byte for byte, the others at least in their number of lines.
const char* CompareOutputs(const Workload& w, const std::string& ours,
                           const std::string& gnu) {
  if (IsWholeLine(w)) {
    return WithoutCarriageReturns(ReadAll(ours)) == ReadAll(gnu)
               ? "same bytes"
               : "OUTPUTS DIFFER";
  }
  return CountLineFeeds(ours) == CountLineFeeds(gnu) ? "same line count"
                                                     : "LINE COUNTS DIFFER";
}

bool Agrees(const char* check) { return std::strncmp(check, "same", 4) == 0; }

// One row of the table: our median against GNU sort's from the same rounds.
void PrintRow(const char* name, const char* what, const Series& ours,
              const Series& gnu, double input_bytes, const char* check) {
  const double peak = static_cast<double>(
      *std::max_element(ours.peak.begin(), ours.peak.end()));
  const double median = Median(ours.time);
  const double gnu_median = Median(gnu.time);
  std::printf("%-20s %-8s %9.3f %9.3f %7.2f %8.1fMB %9.2f %9.3f %9.3f  %s\n",
              name, what, median, gnu_median, median / gnu_median, peak / 1e6,
              peak / input_bytes, Median(ours.cpu), Median(gnu.cpu), check);
}

int Main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: %s INPUT [--repeat N] [--workdir DIR] [--only NAME]"
                 " [--program PATH] [--baseline PATH] [--short PATH]"
                 " [--peer PATH]\n",
                 argv[0]);
    return 2;
  }
  const std::string input = argv[1];
  int repeat = 5;
  std::string workdir;
  std::string only;
  std::string program;
  std::string baseline;
  std::string short_input;
  std::string peer;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--repeat") {
      repeat = std::max(1, std::atoi(argv[i + 1]));
    } else if (option == "--workdir") {
      workdir = argv[i + 1];
    } else if (option == "--only") {
      only = argv[i + 1];
    } else if (option == "--program") {
      program = argv[i + 1];
    } else if (option == "--baseline") {
      baseline = argv[i + 1];
    } else if (option == "--short") {
      short_input = argv[i + 1];
    } else if (option == "--peer") {
      peer = argv[i + 1];
      if (::access(peer.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "the peer sort %s cannot be run\n", peer.c_str());
        return 2;
      }
    } else {
      std::fprintf(stderr, "unknown option %s\n", option.c_str());
      return 2;
    }
  }
  if (workdir.empty()) {
    const std::size_t slash = input.rfind('/');
    workdir = slash == std::string::npos ? "." : input.substr(0, slash);
  }
  struct stat info;
  if (::stat(input.c_str(), &info) != 0) {
    std::perror(input.c_str());
    return 1;
  }
  const double input_bytes = static_cast<double>(info.st_size);
  const std::string ours_out = workdir + "/bench-ours.out";
  const std::string gnu_out = workdir + "/bench-gnu.out";
  const std::string program_out = workdir + "/bench-program.out";
  const std::string baseline_out = workdir + "/bench-baseline.out";
  const std::string peer_out = workdir + "/bench-peer.out";
  const std::string copy_out = workdir + "/bench-copy.out";

  std::printf("input %s: %.1f MB, %d runs each, medians shown\n", input.c_str(),
              input_bytes / 1e6, repeat);
  std::printf("%-20s %-8s %9s %9s %7s %10s %9s %9s %9s  %s\n", "workload",
              "ours", "ours s", "GNU s", "ratio", "ours peak", "x input",
              "ours cpu", "GNU cpu", "check");
  bool all_ok = true;
  // Ours as RunSort alone and, with --program, as the whole program; GNU
  // sort's runs alternate with ours so that a drift of the machine's speed
  // hits both alike.
  for (const Workload& w : Workloads()) {
    if (!only.empty() && only != w.name) continue;
    Series engine, whole, before, gnu, other, copy;
    std::vector<std::function<void()>> round = {
        [&] { engine.Add(RunOurs(w, input, ours_out)); },
        [&] { gnu.Add(RunGnuSort(w, input, gnu_out)); }};
    if (!peer.empty()) {
      round.push_back([&] { other.Add(RunGnuSort(w, input, peer_out, peer)); });
    }
    if (IsWholeLine(w)) {
      round.push_back([&] { copy.Add(RunCopy(input, copy_out)); });
    }
    if (!program.empty()) {
      round.push_back(
          [&] { whole.Add(RunProgram(program, w, input, program_out)); });
    }
    if (!baseline.empty()) {
      round.push_back(
          [&] { before.Add(RunProgram(baseline, w, input, baseline_out)); });
    }
    // Each round runs the commands in an order of its own. A run after the
    // peer's is slower on a virtual machine, whatever it is (the peer uses
    // twice the memory and five times the processor time): in a fixed
    // order that always falls on the same command, which then loses its
    // median to it.
    std::vector<std::size_t> order(round.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::mt19937 shuffler(2026);
    for (int r = 0; r < repeat; ++r) {
      std::shuffle(order.begin(), order.end(), shuffler);
      for (const std::size_t k : order) round[k]();
    }
    auto print = [&](const char* what, const Series& ours,
                     const std::string& out) {
      const char* check =
          ours.ok && gnu.ok ? CompareOutputs(w, out, gnu_out) : "RUN FAILED";
      PrintRow(w.name, what, ours, gnu, input_bytes, check);
      all_ok = all_ok && ours.ok && gnu.ok && Agrees(check);
    };
    print("RunSort", engine, ours_out);
    if (!program.empty()) print("program", whole, program_out);
    if (!baseline.empty()) print("before", before, baseline_out);
    if (!peer.empty()) print("peer", other, peer_out);
    if (IsWholeLine(w)) {
      PrintRow(w.name, "dd copy", copy, gnu, input_bytes,
               copy.ok ? "copy floor" : "RUN FAILED");
      all_ok = all_ok && copy.ok;
      const double floor = Median(copy.time);
      std::printf("%-20s to the copy floor: RunSort %.2f", w.name,
                  Median(engine.time) / floor);
      if (!program.empty()) {
        std::printf(", program %.2f", Median(whole.time) / floor);
      }
      if (!baseline.empty()) {
        std::printf(", before %.2f", Median(before.time) / floor);
      }
      std::printf("\n");
    }
    std::fflush(stdout);
  }
  if (!program.empty() && only.empty()) {
    const Workload& whole_line = Workloads().front();
    struct Extra {
      const char* name;
      std::string input;
      std::string output;  ///< the same for both sides
      double bytes;
    };
    const std::string tiny = workdir + "/bench-tiny.txt";
    {
      std::ofstream out(tiny, std::ios::binary);
      out << "b\na\n";
    }
    std::vector<Extra> extras = {
        {"to-dev-null", input, "/dev/null", input_bytes},
        {"two-line-file", tiny, "", 4},
    };
    if (!short_input.empty()) {
      struct stat short_info;
      if (::stat(short_input.c_str(), &short_info) == 0) {
        extras.insert(extras.begin() + 1,
                      Extra{"short-lines", short_input, "",
                            static_cast<double>(short_info.st_size)});
      }
    }
    for (const Extra& e : extras) {
      Series whole, before, gnu;
      const bool to_file = e.output.empty();
      const std::string gnu_target = to_file ? gnu_out : e.output;
      for (int r = 0; r < repeat; ++r) {
        whole.Add(RunProgram(program, whole_line, e.input,
                             to_file ? program_out : e.output));
        gnu.Add(RunGnuSort(whole_line, e.input, gnu_target));
        if (!baseline.empty()) {
          before.Add(RunProgram(baseline, whole_line, e.input,
                                to_file ? baseline_out : e.output));
        }
      }
      auto print = [&](const char* what, const Series& ours,
                       const std::string& out) {
        const char* check = !(ours.ok && gnu.ok) ? "RUN FAILED"
                            : to_file ? CompareOutputs(whole_line, out, gnu_out)
                                      : "not compared";
        PrintRow(e.name, what, ours, gnu, e.bytes, check);
        all_ok = all_ok && ours.ok && gnu.ok && (!to_file || Agrees(check));
      };
      print("program", whole, program_out);
      if (!baseline.empty()) print("before", before, baseline_out);
      std::fflush(stdout);
    }
    ::unlink(tiny.c_str());
  }
  ::unlink(program_out.c_str());
  ::unlink(baseline_out.c_str());
  ::unlink(peer_out.c_str());
  ::unlink(copy_out.c_str());
  ::unlink(ours_out.c_str());
  ::unlink(gnu_out.c_str());
  return all_ok ? 0 : 1;
}

}  // namespace
}  // namespace tarnel

int main(int argc, char** argv) { return tarnel::Main(argc, argv); }
