// Conversions in worker processes: the same file as in-process, and a
// module that crashes or hangs at a set block costs only that song.
#include <csignal>
#include <filesystem>
#include <unistd.h>
#include <thread>

#include "app/batch/batch_steps.h"
#include "app/workers/conversion_worker.h"
#include "app/batch/convert_folder.h"
#include "app/workers/worker_messages.h"
#include "module_fixture.h"
#include "render/conversion_ui.h"

namespace fs = std::filesystem;

namespace {

class WorkerTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        unsetenv("DISPLAY");  // a batch's log is printed, never shown in a viewer
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("QNSTEST_CRASH_AT_BLOCK");
        unsetenv("QNSTEST_HANG_AT_BLOCK");
    }

    // Converts the loaded song into `path` in a worker and waits for it.
    ConversionWorker ConvertInWorker(const std::string& path, std::chrono::milliseconds stall = kWorkerStallTimeout) {
        ConversionWorker worker(stall);
        worker.Start(dlg.ConversionInput(), render, path, std::nullopt);
        HeadlessConversionUi ui;
        WaitForWorker(worker, ui);
        return worker;
    }

    // Names in the temporary folder other than the given ones.
    std::vector<std::string> OtherFiles(std::initializer_list<std::string> known) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            const std::string name = entry.path().filename().string();
            if (std::find(known.begin(), known.end(), name) == known.end()) names.push_back(name);
        }
        return names;
    }
};

TEST_F(WorkerTest, WritesTheSameFileAsAnInProcessConversion) {
    Open(WriteSong("song.mid", PracticeSong(4)));
    dlg.m_songOptions.tempoPercent = 70;
    dlg.m_songOptions.volumeDown[1] = 1;
    HeadlessConversionUi ui;
    CollectingReport report;
    ConvertSongToWav(dlg.ConversionInput(), render, dir.path() + "/in-process.wav", ui, report);
    ASSERT_TRUE(report.lines.empty());

    const ConversionWorker worker = ConvertInWorker(dir.path() + "/worker.wav");
    EXPECT_EQ(worker.End(), WorkerEnd::kFinished);
    EXPECT_TRUE(worker.Reports().empty());
    EXPECT_GT(worker.Length(), 0);
    const std::string inProcess = ReadFileBytes(dir.path() + "/in-process.wav");
    ASSERT_GT(inProcess.size(), 44u);
    EXPECT_EQ(ReadFileBytes(dir.path() + "/worker.wav"), inProcess);
}

TEST_F(WorkerTest, PassesOnTheConversionsReports) {
    dlg.m_strSongName.clear();  // nothing loaded
    const ConversionWorker worker = ConvertInWorker(dir.path() + "/x.wav");
    EXPECT_EQ(worker.End(), WorkerEnd::kFinished);
    EXPECT_EQ(worker.Reports(), std::vector<std::string>{kNoSongLoadedMessage});
}

TEST_F(WorkerTest, AModuleCrashAtABlockIsReportedAndLeavesTheEarlierFileAlone) {
    Open(WriteSong("song.mid", PracticeSong(4)));
    WriteSong("song.wav", {'o', 'l', 'd'});
    probe->SetCrashAtBlock(20);
    const ConversionWorker worker = ConvertInWorker(dir.path() + "/song.wav");
    EXPECT_EQ(worker.End(), WorkerEnd::kCrashed);
    ASSERT_EQ(worker.Reports().size(), 1u);
    EXPECT_EQ(worker.Reports()[0], "Conversion crashed (Segmentation fault)");
    EXPECT_EQ(ReadFileBytes(dir.path() + "/song.wav"), "old");
    EXPECT_EQ(OtherFiles({"song.mid", "song.wav"}), std::vector<std::string>{});  // no temporary file left
}

TEST_F(WorkerTest, AModuleThatHangsIsEndedAfterTheStallTimeout) {
    Open(WriteSong("song.mid", PracticeSong(4)));
    probe->SetHangAtBlock(20);
    const auto start = std::chrono::steady_clock::now();
    const ConversionWorker worker = ConvertInWorker(dir.path() + "/song.wav", std::chrono::seconds(1));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_EQ(worker.End(), WorkerEnd::kStalled);
    EXPECT_EQ(worker.Reports(), std::vector<std::string>{"Conversion stopped: no progress for 1 seconds"});
    EXPECT_EQ(OtherFiles({"song.mid"}), std::vector<std::string>{});
}

TEST_F(WorkerTest, ASlowConversionThatKeepsMakingProgressOutlastsTheStallTimeout) {
    Open(WriteSong("song.mid", PracticeSong(4)));
    setenv("QNSTEST_BLOCK_DELAY_MS", "4", 1);  // read by the module in the worker
    const auto start = std::chrono::steady_clock::now();
    const ConversionWorker worker = ConvertInWorker(dir.path() + "/song.wav", std::chrono::milliseconds(700));
    const auto took = std::chrono::steady_clock::now() - start;
    unsetenv("QNSTEST_BLOCK_DELAY_MS");
    ASSERT_GT(took, std::chrono::milliseconds(1400));  // the test means something only when the conversion is slow
    EXPECT_EQ(worker.End(), WorkerEnd::kFinished);
    EXPECT_TRUE(worker.Reports().empty());
    EXPECT_GT(fs::file_size(dir.path() + "/song.wav"), 44u);
}

TEST_F(WorkerTest, ALongFinishAfterTheRenderOutlastsTheStallTimeout) {
    // As measuring and encoding an hour-long song: seconds without a new
    // position after the render.
    ConversionWorker worker(std::chrono::milliseconds(500));
    worker.Start([](ConversionUi& ui, UserReport&, UserReport&) {
        ui.OpenProgress(0, 1000);
        ui.SetProgressPosition(1000);
        ui.CloseProgress();
        ui.SetFinishing(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        ui.SetFinishing(false);
    }, dir.path() + "/song.wav");
    HeadlessConversionUi ui;
    WaitForWorker(worker, ui);
    EXPECT_EQ(worker.End(), WorkerEnd::kFinished);
    EXPECT_TRUE(worker.Reports().empty());
    // Silence outside that phase is still a stall.
    ConversionWorker silent(std::chrono::milliseconds(500));
    silent.Start([](ConversionUi& ui, UserReport&, UserReport&) {
        ui.OpenProgress(0, 1000);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    }, dir.path() + "/song.wav");
    WaitForWorker(silent, ui);
    EXPECT_EQ(silent.End(), WorkerEnd::kStalled);
}

TEST_F(WorkerTest, ASlowModuleLoadOutlastsTheStallTimeoutButAHungOneIsEndedAfterTheLoadLimit) {
    // As a compressed SoundFont decoding on a busy machine: seconds before
    // the first position.
    const auto load = [](std::chrono::milliseconds takes) {
        return [takes](ConversionUi& ui, UserReport&, UserReport&) {
            ui.SetLoading(true);
            std::this_thread::sleep_for(takes);
            ui.SetLoading(false);
            ui.OpenProgress(0, 1000);
            ui.SetProgressPosition(1000);
            ui.CloseProgress();
        };
    };
    HeadlessConversionUi ui;
    ConversionWorker slow(std::chrono::milliseconds(500), std::chrono::seconds(10));
    slow.Start(load(std::chrono::milliseconds(1500)), dir.path() + "/song.wav");
    WaitForWorker(slow, ui);
    EXPECT_EQ(slow.End(), WorkerEnd::kFinished);
    EXPECT_TRUE(slow.Reports().empty());
    // A load that goes on past the limit is taken for a hang.
    ConversionWorker hung(std::chrono::milliseconds(500), std::chrono::milliseconds(300));
    const auto start = std::chrono::steady_clock::now();
    hung.Start(load(std::chrono::seconds(20)), dir.path() + "/song.wav");
    WaitForWorker(hung, ui);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(hung.End(), WorkerEnd::kStalled);
}

TEST_F(WorkerTest, AWorkerKilledOutrightByAnotherIsToldAsPerhapsOutOfMemory) {
    // The kernel's out-of-memory killer sends SIGKILL, as this worker does to itself.
    ConversionWorker worker;
    worker.Start([](ConversionUi&, UserReport&, UserReport&) { raise(SIGKILL); }, dir.path() + "/song.wav");
    HeadlessConversionUi ui;
    WaitForWorker(worker, ui);
    EXPECT_EQ(worker.End(), WorkerEnd::kCrashed);
    EXPECT_EQ(worker.Reports(), std::vector<std::string>{"Conversion crashed (killed (perhaps out of memory))"});
    // Killed by this program, it was stopped.
    ConversionWorker stopped;
    stopped.Start([](ConversionUi&, UserReport&, UserReport&) { pause(); }, dir.path() + "/song.wav");
    stopped.Kill();
    EXPECT_EQ(stopped.Reports(), std::vector<std::string>{"Conversion stopped by a signal (Killed)"});
}

TEST_F(WorkerTest, TheFolderBatchLogsACrashedSongAndGoesOnWithTheNext) {
    // The crash comes at block 200 (2.3 s): the first song is longer, the second shorter.
    fs::create_directory(dir.path() + "/songs");
    WriteSong("songs/a.mid", PracticeSong(8));
    WriteSong("songs/b.mid", PracticeSong(1));
    probe->SetCrashAtBlock(200);
    dlg.m_strBatchFolder = dir.path() + "/songs";
    dlg.m_bPreCountArg = false;
    ProgramBatchSteps steps(dlg, render);
    testing::internal::CaptureStdout();  // the log is shown on standard output
    EXPECT_FALSE(ConvertFolder(dlg, steps));
    testing::internal::GetCapturedStdout();
    const std::string songs = dir.path() + "/songs/";
    const std::string log = ReadFileBytes(songs + "Conv/CreateLog.log");
    const std::string a = songs + "a.mid\r\nConversion crashed (Segmentation fault)\r\nEND\r\n";
    const std::string b = songs + "b.mid\r\nEND\r\n";
    EXPECT_TRUE(log == a + b || log == b + a) << log;  // the folder's own order
    EXPECT_FALSE(fs::exists(songs + "Conv/a.wav"));
    EXPECT_TRUE(fs::exists(songs + "Conv/b.wav"));
}

TEST(WorkerMessages, RecordsComeBackWholeAndAPartialOneWaits) {
    std::string buffer = EncodeWorkerProgress(1234, 56789) + EncodeWorkerReport("初期化に失敗しました") + EncodeWorkerDone();
    const std::string partial = EncodeWorkerReport("next");
    buffer += partial.substr(0, 3);
    const auto messages = TakeWorkerMessages(buffer);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].kind, WorkerMessageKind::kProgress);
    EXPECT_EQ(messages[0].position, 1234);
    EXPECT_EQ(messages[0].length, 56789);
    EXPECT_EQ(messages[1].text, "初期化に失敗しました");
    EXPECT_EQ(messages[2].kind, WorkerMessageKind::kDone);
    EXPECT_EQ(buffer, partial.substr(0, 3));
    buffer += partial.substr(3);
    EXPECT_EQ(TakeWorkerMessages(buffer).at(0).text, "next");
    EXPECT_TRUE(buffer.empty());
}

}  // namespace
