// The built program itself: without a terminal, and in a terminal (tmux) with an
// installation whose form file is missing. The whole flow on a demo installation is run by
// the end-to-end tests.

#include <gtest/gtest.h>

#include <filesystem>

#include "testing/child_process.h"
#include "testing/test_environment.h"
#include "testing/tmux_session.h"

namespace talmidor {
namespace {

using ProgramTest = TestEnvironment;

std::string program() {
  return buildDirectory() + "/talmidor";
}

TEST_F(ProgramTest, WithoutATerminalItEndsWithStatusOne) {
  ASSERT_TRUE(std::filesystem::exists(program())) << program();
  ChildProcess run({program()});
  ASSERT_TRUE(run.started());
  run.closeInput();
  EXPECT_EQ(run.wait(), 1);
}

TEST_F(ProgramTest, MissingFormFileIsReportedOnTheTerminalAndEndsWithStatusOne) {
  if (!TmuxSession::available()) GTEST_SKIP() << "tmux is not installed";
  writeFile("tmp/KeloTerm.ini", "[Sistema]\r\nData=20260315\r\n");
  std::filesystem::create_directories(dir() + "bin");
  TmuxSession run;
  ASSERT_TRUE(
      run.start(TmuxSession::shellQuote(program()),
                {"ZUBROOT=" + dir(), "ZUBTMP=" + dir() + "tmp/", "ZUBEXE=" + dir() + "bin/"}));
  ASSERT_TRUE(run.waitFor("EL FORMULARI NO ES POT FER SERVIR")) << run.capture();
  EXPECT_NE(run.capture().find("TALMIDOR.QFM"), std::string::npos) << run.capture();
  EXPECT_NE(run.capture().find("EL FITXER NO EXISTEIX"), std::string::npos) << run.capture();
  run.sendKeys({"Enter"});
  ASSERT_TRUE(run.waitForExit());
  EXPECT_EQ(run.exitCode(), 1);
}

}  // namespace
}  // namespace talmidor
