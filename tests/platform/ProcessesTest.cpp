// Programs of the machine started and polled; those that cannot run here do not start.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "platform/posix/Processes_posix.h"
#include "tests/platform/ScratchMachine.h"

namespace {

class ProcessesTest : public test::ScratchMachine {
 protected:
  ProcessesTest() : processes(machine) {}

  void putProgram(const std::string& relative, const std::string& text, mode_t mode = 0755) {
    put(relative, text);
    ASSERT_EQ(::chmod(native(relative).c_str(), mode), 0);
  }

  // Polls until the process ends; a hang fails the test instead of blocking it forever.
  static void waitForEnd(platform::Process& process) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (process.running()) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the process did not end";
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  platform::posix::PosixProcesses processes;
};

// Children of this process: running ones, or ended ones never collected (zombies).
int childProcesses() {
  int children = 0;
  DIR* proc = ::opendir("/proc");
  while (const dirent* entry = proc ? ::readdir(proc) : nullptr) {
    std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
    std::string pid, name, state;
    long parent = 0;
    if (stat >> pid >> name >> state >> parent && parent == ::getpid()) ++children;
  }
  if (proc) ::closedir(proc);
  return children;
}

TEST_F(ProcessesTest, ProgramsThatCannotRunHereDoNotStart) {
  putProgram("drive_c/Inst/NEW_BIN/FASTGLASS/regsvr32.exe", "MZ\x90\0PE", 0755);
  putProgram("drive_c/Tools/plain.sh", "#!/bin/sh\nexit 0\n", 0644);
  putProgram("drive_c/Tools/nointerp.sh", "#!/nonexistent/shell\n", 0755);
  mkdirs("drive_c/Tools/folder");
  const char* rows[] = {
      "\"C:\\Inst\\NEW_BIN\\FASTGLASS\\regsvr32.exe\" /s \"C:\\Inst\\NEW_BIN\\FASTGLASS\\X.OCX\"",
      "C:\\Tools\\missing.sh",
      "C:\\Tools\\plain.sh",
      "C:\\Tools\\nointerp.sh",
      "C:\\Tools\\folder",
      "Q:\\run.sh",
      "regsvr32.exe /s x",
      "",
      "\"\"",
  };
  for (const char* line : rows) {
    SCOPED_TRACE(line);
    EXPECT_EQ(processes.start(line), nullptr);
  }
}

TEST_F(ProcessesTest, ScriptRunsWithWindowsSplitArguments) {
  const std::string out = native("out.txt");
  putProgram("drive_c/Program Files/Tools/run.sh",
             "#!/bin/sh\nprintf '%s|%s' \"$1\" \"$2\" > \"$3\"\n");
  auto process = processes.start("\"C:\\PROGRAM FILES\\tools\\RUN.SH\" \"a b\" c\\\"d " + out);
  ASSERT_NE(process, nullptr);
  waitForEnd(*process);
  EXPECT_EQ(get("out.txt"), "a b|c\"d");
  EXPECT_FALSE(process->running());
}

TEST_F(ProcessesTest, RelativeProgramIsLookedForInTheWindowsFolders) {
  putProgram("drive_c/WINDOWS/SYSTEM32/touch.sh", "#!/bin/sh\n: > \"$1\"\n");
  auto process = processes.start("Touch.sh " + native("made"));
  ASSERT_NE(process, nullptr);
  waitForEnd(*process);
  EXPECT_TRUE(has("made"));
}

TEST_F(ProcessesTest, RunningIsTrueUntilTheProgramEndsAndNothingIsLeftBehind) {
  putProgram("drive_c/wait.sh", "#!/bin/sh\nwhile [ ! -e \"$1\" ]; do sleep 0.01; done\n");
  auto process = processes.start("C:\\wait.sh " + native("go"));
  ASSERT_NE(process, nullptr);
  EXPECT_TRUE(process->running());
  EXPECT_TRUE(process->running());
  put("go");
  waitForEnd(*process);
  EXPECT_EQ(childProcesses(), 0);

  // An object dropped while its program runs still has its end collected.
  auto dropped = processes.start("C:\\wait.sh " + native("go2"));
  ASSERT_NE(dropped, nullptr);
  dropped.reset();
  put("go2");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (childProcesses() != 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(childProcesses(), 0);
}

}  // namespace
