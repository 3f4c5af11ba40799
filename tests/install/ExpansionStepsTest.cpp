// The build-time check of the expansion steps against the download tables: each kind of
// disagreement between a step and CommonFiles1 is caught.
#include "install/ExpansionSteps.h"

namespace {

using install::ExpansionStep;
namespace steps = install::steps;

// Pass (1)'s steps with the step at `index` replaced.
constexpr bool matchesWith(std::size_t index, ExpansionStep step) {
  auto run = install::kPass1Steps;
  run[index] = step;
  return install::stepsMatchTable(run, download::CommonFiles1);
}

static_assert(matchesWith(2, steps::settingsFile(-1, 8)), "the real step itself");
static_assert(!matchesWith(2, steps::settingsFile(-1, 7)), "a step that moved");
static_assert(!matchesWith(3, steps::templateFolder(-1, "T", 9, ".4NO")), "a wrong extension");
static_assert(!matchesWith(8, steps::archiveFolder(-1, "T", 18)), "a template as an archive");
static_assert(!matchesWith(1, steps::copy(-1, 6, 6, ".DLL")), "a file no step takes");
static_assert(!matchesWith(1, steps::copy(-1, 5, 7, ".DLL")), "a file two steps take");
static_assert(!matchesWith(12, steps::plugins(-1, 22)), "plug-ins inside the common files");
static_assert(!matchesWith(12, steps::copy(-1, 20, 24, ".EXE")), "a position past the table");

}  // namespace
