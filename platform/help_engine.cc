#include "platform/help_engine.h"

namespace tarnel {

namespace {

class NoHelpEngine : public HelpEngine {
 public:
  void Command(WindowHandle, const std::string&, unsigned,
               const std::string&) override {}
};

NoHelpEngine no_help_engine;
HelpEngine* installed_help_engine = nullptr;

}  // namespace

HelpEngine& CurrentHelpEngine() {
  return installed_help_engine ? *installed_help_engine : no_help_engine;
}

HelpEngine* InstallHelpEngine(HelpEngine* engine) {
  HelpEngine* previous = installed_help_engine;
  installed_help_engine = engine;
  return previous ? previous : &no_help_engine;
}

}  // namespace tarnel
