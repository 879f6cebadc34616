#include "ui/headless/headless_run.h"

#include <cstdio>
#include <exception>
#include <utility>

#include "engine/run_sort.h"
#include "platform/message_boxes.h"
#include "platform/service.h"
#include "ui/headless/memory_controls.h"
#include "ui/logic/exception_text.h"
#include "ui/logic/main_form_logic.h"
#include "ui/logic/window_texts.h"

namespace tarnel {

namespace {}  // namespace

std::optional<int> RunBatch(std::vector<std::string> arguments) {
  try {
    // The window's controls in their initial states, kept in memory: a
    // batch run never shows them.
    MemoryMainFormControls controls;
    MemoryForm form;
    MemoryApplication application;
    MainFormLogic logic(controls.controls, form, application,
                        std::move(arguments), [](const SortRequest& request) {
                          RunSort(request);
                          return LastResult;
                        });
    logic.Connect();
    logic.FormCreate();
    if (logic.AutoRun != 1) return std::nullopt;
    return logic.ExitStatus();
  } catch (const std::exception& error) {
    Current<MessageBoxes>().Show(nullptr, ExceptionBoxText(error.what()),
                                 kApplicationTitle, kBoxIconError);
    return 1;
  }
}

int RunWithoutDisplay(std::vector<std::string> arguments) {
  if (const std::optional<int> status = RunBatch(std::move(arguments))) {
    return *status;
  }
  std::fputs(kNoDisplayText, stderr);
  return 1;
}

}  // namespace tarnel
