// Data files shared with other users: while another process holds a data file exclusively,
// the program waits at start-up, and it starts once the holder has ended.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "e2e/installation.h"
#include "e2e/module_run.h"

namespace talmidor {
namespace {

TEST(SharedFiles, StartWaitsWhileAnotherProcessHoldsAFileExclusively) {
  if (!TmuxSession::available()) GTEST_SKIP() << "tmux is not installed";
  DemoInstallation installation;
  ASSERT_TRUE(installation.ok()) << installation.log();

  // The other user: keyedfile holds the remittances file until its input ends.
  ModuleRun holder(installation);
  ASSERT_TRUE(
      holder.startCommand(TmuxSession::shellQuote(keyedfileProgram()) + " exclusive " +
                          TmuxSession::shellQuote(installation.root() + "DADES/TRemeses.dat")));
  ASSERT_TRUE(holder.waitUntil([](const std::vector<std::string>& rows) {
    return !rows[0].empty();
  })) << holder.screenText();
  ASSERT_FALSE(holder.waitForExit(std::chrono::milliseconds(1))) << holder.screenText();

  ModuleRun run(installation);
  ASSERT_TRUE(run.start());
  // The open is retried every 3 seconds; the form stays away while the file is held.
  EXPECT_FALSE(run.waitFor("CONCEPTES A EMETRE :", std::chrono::milliseconds(4000)))
      << run.screenText();
  EXPECT_FALSE(run.waitForExit(std::chrono::milliseconds(1)));

  holder.keys({"C-d"});  // end of input: the holder closes the file and ends
  ASSERT_TRUE(holder.waitForExit()) << holder.screenText();
  EXPECT_EQ(holder.exitCode(), 0);
  ASSERT_TRUE(run.waitFor("CONCEPTES A EMETRE :")) << run.screenText();
  quitFromPageOne(run);
}

}  // namespace
}  // namespace talmidor
