// The report's JSON lines and the summary line.
#include <gtest/gtest.h>

#include "app/options/run_report.h"

namespace {

TEST(RunReport, ALineHoldsEveryFieldOfOneInput) {
    const FileResult converted{"lib/a.mid", "out/a.wav", FileStatus::kConverted, "", 12.5, 0.25, 2205044};
    EXPECT_EQ(ReportLine(converted),
              R"({"input":"lib/a.mid","output":"out/a.wav","status":"converted","cause":"","audio_seconds":12.5,)"
              R"("cpu_seconds":0.25,"realtime_factor":50,"bytes_written":2205044,"levels":[],"rehearsal":null})");
    const FileResult failed{"b.mid", "", FileStatus::kFailed, "not a Standard MIDI File", 0, 0, 0};
    EXPECT_EQ(ReportLine(failed), R"({"input":"b.mid","output":"","status":"failed","cause":"not a Standard MIDI File",)"
                                  R"("audio_seconds":0,"cpu_seconds":0,"realtime_factor":0,"bytes_written":0,"levels":[],"rehearsal":null})");
    EXPECT_NE(ReportLine({"c.mid", "c.wav", FileStatus::kSkipped, "", 0, 0, 0}).find(R"("status":"skipped")"), std::string::npos);
    // Seconds of audio per second of processor time, rounded to three decimals.
    const FileResult slow{"d.mid", "d.wav", FileStatus::kConverted, "", 1, 3, 10};
    EXPECT_NE(ReportLine(slow).find(R"("cpu_seconds":3,"realtime_factor":0.333,)"), std::string::npos) << ReportLine(slow);
}

TEST(RunReport, ALineSaysTheLevelsAndTheRehearsalTrackOfItsOutput) {
    FileResult loud{"s.mid", "s - Alto loud.wav", FileStatus::kConverted, "", 1, 1, 10};
    loud.levels = {{"bass", -6.5}, {"Solo \"1\"", 3}};
    loud.rehearsal = RehearsalTake{RehearsalKind::kLoud, "Alto", 2};
    loud.rehearsalLevels = {9, -3.25};
    EXPECT_TRUE(ReportLine(loud).ends_with(
        R"("levels":[{"target":"bass","db":-6.5},{"target":"Solo \"1\"","db":3}],)"
        R"("rehearsal":{"kind":"loud","part":"Alto","part_db":9,"others_db":-3.25}})"))
        << ReportLine(loud);
    FileResult missing = loud;
    missing.levels.clear();
    missing.rehearsal->kind = RehearsalKind::kMissing;
    EXPECT_TRUE(ReportLine(missing).ends_with(R"("levels":[],"rehearsal":{"kind":"missing","part":"Alto"}})"))
        << ReportLine(missing);
    FileResult all = missing;
    all.rehearsal = RehearsalTake{};
    EXPECT_TRUE(ReportLine(all).ends_with(R"("rehearsal":{"kind":"all","part":null}})")) << ReportLine(all);
}

TEST(RunReport, AFigureTooLargeForThreeDecimalsIsStillAJsonNumber) {
    const FileResult huge{"e.mid", "e.wav", FileStatus::kConverted, "", 1e300, 1, 10};
    EXPECT_NE(ReportLine(huge).find(R"("audio_seconds":1.000e+300,"cpu_seconds":1,)"), std::string::npos)
        << ReportLine(huge);
}

TEST(RunReport, NamesAreEscapedSoThatEveryLineIsOneJsonObject) {
    const auto input = [](const std::string& name) {
        const std::string line = ReportLine({name, "", FileStatus::kSkipped, "", 0, 0, 0});
        return line.substr(9, line.find(",\"output\"") - 9);
    };
    EXPECT_EQ(input("say \"hi\"\\.mid"), R"("say \"hi\"\\.mid")");
    EXPECT_EQ(input("line\nbreak\t\x1b.mid"), R"("line\u000abreak\u0009\u001b.mid")");
    // The edges of the control range: 0x1F is the last byte JSON forbids raw, 0x20 the first it allows.
    EXPECT_EQ(input(std::string("\x00\x1f\x20\x7f", 4)), R"("\u0000\u001f \u007f")");
    EXPECT_EQ(input("曲.mid"), "\"曲.mid\"");
    // Bytes that are not UTF-8 (a Latin-1 name, a cut sequence, an overlong form).
    EXPECT_EQ(input("caf\xe9.mid"), R"("caf\udce9.mid")");
    EXPECT_EQ(input("\xe6\x9b"), R"("\udce6\udc9b")");
    EXPECT_EQ(input("\xc0\xaf"), R"("\udcc0\udcaf")");
}

TEST(RunReport, TheSummaryCountsTheRunAndItsSpeed) {
    RunTotals totals;
    totals.converted = 1998;
    totals.skipped = 2;
    totals.failed = 1;
    totals.audioSeconds = 7200;
    totals.cpuSeconds = 480;
    EXPECT_EQ(SummaryLine(totals, 3725), "1998 converted, 2 skipped, 1 failed; 2.00 hours of audio in 1:02:05, 1.9x real time, "
                                         "realtime factor 15.0 (audio seconds per CPU second)");
    EXPECT_EQ(SummaryLine(RunTotals{}, 0), "0 converted, 0 skipped, 0 failed; 0.00 hours of audio in 0:00:00, 0.0x real time, "
                                           "realtime factor 0.0 (audio seconds per CPU second)");
}

}  // namespace
