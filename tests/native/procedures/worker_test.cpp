// The install worker: waiting and non-waiting starts, busy and result at
// each point, thread creation failure, COM, and a second run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/worker.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/fake/fake_threads.h"
#include "platform/process.h"
#include "platform/threads.h"
#include "procedure_fixture.h"

namespace procedures_test {
namespace {

namespace fake = platform::fake;

class WorkerTest : public ProcedureTest {};

TEST_F(WorkerTest, WaitingStartReturnsTheInstallResultAndClosesTheThread) {
  // busy and result as the window would see them when the procedure posts.
  std::string atPost;
  std::string atComEnd;
  fake::SetCallObserver([&](const std::string& line) {
    const std::string now = std::to_string(state.busy.load()) + " " + std::to_string(state.result);
    if (line.rfind("PostCommand", 0) == 0) atPost = now;
    if (line == "UninitializeThreadCom") atComEnd = now;
  });

  EXPECT_EQ(app::StartInstallWorker(state, 1), 0);

  EXPECT_EQ(atPost, "1 -1");
  // The result is stored before COM ends; busy drops only after both.
  EXPECT_EQ(atComEnd, "1 0");
  EXPECT_EQ(state.busy.load(), 0);
  EXPECT_EQ(state.result, 0);
  EXPECT_EQ(state.workerThread, nullptr);
  EXPECT_EQ(state.workerThreadId, 1000u);
  EXPECT_EQ(fake::OpenThreadHandles(), 0u);
  EXPECT_EQ(fake::LastThreadExitCode(), 0);
  std::vector<std::string> seam = Seam();
  ASSERT_GE(seam.size(), 6u);
  EXPECT_EQ(seam[0], "StartThread 1000");
  EXPECT_EQ(seam[1], "WaitForThread 1000");
  EXPECT_EQ(seam[2], "LowerOwnThreadPriority");
  EXPECT_EQ(seam[3], "InitializeThreadCom");
  EXPECT_EQ(seam[4].rfind("StartProcess", 0), 0u);
  EXPECT_EQ(seam[seam.size() - 3], "PostCommand " + kWindowNumber + " 180 128");
  EXPECT_EQ(seam[seam.size() - 2], "UninitializeThreadCom");
  EXPECT_EQ(seam.back(), "CloseThread 1000");
}

TEST_F(WorkerTest, WaitingStartPassesOnEveryInstallResultAndClearsBusy) {
  struct Row {
    const char* name;
    void (*arrange)();
    int32_t result;
  };
  const Row rows[] = {
      {"package missing", [] { fake::SetPackageMissing(); }, -1},
      {"restart first", [] { fake::processKnobs.exitCode = 1; }, -21},
      {"not started", [] { fake::processKnobs.startOutcome = platform::PROCESS_NOT_STARTED; }, -605},
      {"no handle", [] { fake::processKnobs.startOutcome = platform::PROCESS_STARTED_WITHOUT_HANDLE; }, -604},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetUp();
    row.arrange();
    EXPECT_EQ(app::StartInstallWorker(state, 1), row.result);
    EXPECT_EQ(state.result, row.result);
    EXPECT_EQ(state.busy.load(), 0);
    EXPECT_EQ(fake::OpenThreadHandles(), 0u);
    TearDown();
  }
}

TEST_F(WorkerTest, NonWaitingStartReturnsAtOnceWithBusySet) {
  EXPECT_EQ(app::StartInstallWorker(state, 0), 0);

  EXPECT_EQ(state.busy.load(), 1);
  EXPECT_EQ(state.result, -1);
  EXPECT_NE(state.workerThread, nullptr);
  EXPECT_EQ(fake::PendingThreads(), 1u);
  EXPECT_TRUE(fake::ProcessLaunches().empty());

  EXPECT_EQ(fake::RunPendingThreads(), 1u);
  EXPECT_EQ(state.busy.load(), 0);
  EXPECT_EQ(state.result, 0);
  // The handle of a worker nobody waited for stays open.
  EXPECT_EQ(fake::OpenThreadHandles(), 1u);
  EXPECT_EQ(fake::PostedCommands().back().code, 128);
}

TEST_F(WorkerTest, AnyWaitFlagOtherThanOneDoesNotWait) {
  EXPECT_EQ(app::StartInstallWorker(state, 2), 0);
  EXPECT_EQ(state.busy.load(), 1);
  EXPECT_EQ(fake::PendingThreads(), 1u);
  fake::RunPendingThreads();
}

TEST_F(WorkerTest, ThreadThatCannotBeCreatedLeavesBusySetAndRunsNothing) {
  fake::threadKnobs.failCreation = true;
  for (int wait : {1, 0}) {
    SCOPED_TRACE(wait);
    state.busy.store(0);
    state.result = 5;
    EXPECT_EQ(app::StartInstallWorker(state, wait), -1);
    EXPECT_EQ(state.busy.load(), 1);
    EXPECT_EQ(state.result, -1);
    EXPECT_EQ(state.workerThread, nullptr);
  }
  EXPECT_TRUE(fake::RegistryLog().empty());
  EXPECT_TRUE(fake::PostedCommands().empty());
  EXPECT_EQ(Seam(), (std::vector<std::string>{"StartThread failed", "StartThread failed"}));
}

TEST_F(WorkerTest, ComThatWasNotBegunHereIsNotEnded) {
  fake::threadKnobs.comInitResult = 0;

  EXPECT_EQ(app::StartInstallWorker(state, 1), 0);
  for (const std::string& line : Seam()) EXPECT_NE(line, "UninitializeThreadCom");
}

TEST_F(WorkerTest, SecondClickAfterANoHandleResultStartsASecondWorker) {
  fake::processKnobs.startOutcome = platform::PROCESS_STARTED_WITHOUT_HANDLE;
  ASSERT_EQ(app::StartInstallWorker(state, 0), 0);
  fake::RunPendingThreads();
  EXPECT_EQ(state.busy.load(), 0);
  EXPECT_EQ(state.result, -604);
  EXPECT_TRUE(fake::PostedCommands().empty());

  fake::ResetProcesses();
  ASSERT_EQ(app::StartInstallWorker(state, 0), 0);
  EXPECT_EQ(state.busy.load(), 1);
  EXPECT_EQ(state.result, -1);
  fake::RunPendingThreads();
  EXPECT_EQ(state.result, 0);
  EXPECT_EQ(state.workerThreadId, 1001u);
  ASSERT_EQ(fake::PostedCommands().size(), 1u);
  EXPECT_EQ(fake::PostedCommands()[0].code, 128);
}

TEST_F(WorkerTest, RealThreadRunsTheInstallOffTheCallingThread) {
  fake::threadKnobs.mode = fake::ThreadMode::Real;

  EXPECT_EQ(app::StartInstallWorker(state, 1), 0);
  EXPECT_EQ(state.busy.load(), 0);
  EXPECT_EQ(ExtractedFiles(), kEntryCount);

  ASSERT_EQ(app::StartInstallWorker(state, 0), 0);
  platform::WaitForThread(state.workerThread);
  platform::CloseThread(state.workerThread);
  EXPECT_EQ(state.busy.load(), 0);
  EXPECT_EQ(state.result, 0);
  EXPECT_EQ(fake::OpenThreadHandles(), 0u);
}

}  // namespace
}  // namespace procedures_test
