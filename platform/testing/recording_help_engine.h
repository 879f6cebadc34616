// A help engine for tests: records every command and shows nothing.
#ifndef TARNEL_PLATFORM_TESTING_RECORDING_HELP_ENGINE_H_
#define TARNEL_PLATFORM_TESTING_RECORDING_HELP_ENGINE_H_

#include <string>
#include <vector>

#include "platform/help_engine.h"
#include "platform/service.h"

namespace tarnel {

struct RecordedHelpCommand {
  WindowHandle owner;
  std::string help_file;
  unsigned command;
  std::string keyword;

  bool operator==(const RecordedHelpCommand&) const = default;
};

class RecordingHelpEngine : public HelpEngine {
 public:
  /// Installs itself for its lifetime and restores the previous engine
  /// after.
  RecordingHelpEngine();
  ~RecordingHelpEngine() override;
  RecordingHelpEngine(const RecordingHelpEngine&) = delete;
  RecordingHelpEngine& operator=(const RecordingHelpEngine&) = delete;

  void Command(WindowHandle owner, const std::string& help_file,
               unsigned command, const std::string& keyword) override;

  std::vector<RecordedHelpCommand> commands;

 private:
  Installed<HelpEngine> installed_{this};
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_TESTING_RECORDING_HELP_ENGINE_H_
