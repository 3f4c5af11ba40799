// A window test's machine: a real machine folder, the view double and helpers to lay out an
// installation the way the product leaves it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/MainForm.h"
#include "tests/doubles/FakeView.h"
#include "tests/doubles/TempMachine.h"

namespace test {

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() : machine(view) {}

  // A main program whose version information reads as the given four numbers.
  void putProgram(const std::string& path, uint16_t a, uint16_t b, uint16_t c, uint16_t d);
  // A settings file in C:\WINDOWS with the given PATH (and PROXYIP/PROXYPORT), CP932 on disk.
  void putSettings(const std::string& path, const std::string& proxy = "",
                   const std::string& port = "0");
  // The registry naming the installed program.
  void putRegisteredProgram(const std::string& exename);
  // Creates the window (running its start-up).
  TMainForm& create();
  // The messages shown, texts only.
  std::vector<std::string> texts() const;

  FakeView view;
  TempMachine machine;
  std::unique_ptr<TMainForm> form;
};

}  // namespace test
