// The sort engine's one entry: RunSort performs a whole job, from reading the
// source to the closing box, and reports every problem to the user itself.
//
// Ownership within a run: the source text (lines are cut inside it), the line
// table Base and the result are allocated by the run and released before
// RunSort returns, on every path. A sort on the whole line whose order of
// equal lines cannot show takes the radix sort (radix_sort.h) instead of
// the line sort: its items are the line table, and the text stays uncut. A file
// receives the result in pieces as they are built; the clipboard receives it
// whole, in the result block. Only LastResult and OwnerWindow outlive a run.
// One run at a time: the engine's state is module-wide.
#ifndef TARNEL_ENGINE_RUN_SORT_H_
#define TARNEL_ENGINE_RUN_SORT_H_

#include <cstddef>
#include <cstdint>

#include "engine/sort_parameters.h"
#include "platform/message_boxes.h"

namespace tarnel {

inline constexpr char kFinishCaption[] = "TARNEL";

/// 0 at the start of a run, -1 after any failure, and after the write step
/// the write's result. The caller reads it to learn the outcome.
extern std::int32_t LastResult;

/// Runs one sort job. |input_name| / |output_name| null mean the clipboard.
/// |quiet| 1 suppresses the closing "Finish!" / "Error-Finish!" box.
void RunSort(WindowHandle owner_window, std::int32_t sort_mode,
             const char* input_name, const char* output_name,
             std::int32_t key_pos, std::int32_t key_kind, std::uint8_t quiet);
/// The same job, its seven values in one request.
void RunSort(const SortRequest& request);

// The steps of a run, exposed for tests.

/// The line table: one entry per line, pointing into the source text.
extern char** Base;
extern std::size_t LineCount;
/// Sum over all lines of (length + 2): the result text's length.
extern std::uint64_t OutputSize;

/// Number of lines in |text|: line feeds before the first NUL, plus one
/// when bytes follow the last line feed.
std::size_t CountLines(const char* text);
/// 0, or -1 after showing "Memory Allocate Error!(Base)".
int AllocBase(std::size_t n);
/// Cuts |text| into at most |n| lines, filling Base, LineCount, OutputSize.
void SplitLines(char* text, std::size_t n);
/// 0, or -1 after showing "Memory Allocate Error![hMem]".
int AllocOutput();
void FreeBase();
void FreeOutput();

}  // namespace tarnel

#endif  // TARNEL_ENGINE_RUN_SORT_H_
