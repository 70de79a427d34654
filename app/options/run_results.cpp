// Counting, reporting and recording each finished input.
#include "app/options/run_results.h"

#include "app/options/option_command_line.h"
#include "app/startup/module_discovery.h"
#include "platform/standard_error.h"
#include "platform/translation.h"

bool RunResults::Open(const ConversionRequest& request, std::string& error) {
    if (!request.report) return true;
    report_.emplace();
    report_->SetSound(SoundJson(DescribeSound(request.sound, g_szModulePath)));
    return report_->Open(*request.report, error);
}

void RunResults::Add(const FileResult& result) {
    totals_.cpuSeconds += result.cpuSeconds;
    switch (result.status) {
        case FileStatus::kConverted:
            ++totals_.converted;
            totals_.audioSeconds += result.audioSeconds;
            break;
        case FileStatus::kSkipped: ++totals_.skipped; break;
        case FileStatus::kFailed: ++totals_.failed; break;
    }
    if (report_ && !report_->Write(result) && !reportFailed_) {
        WriteErrorLine(Tr("cannot write the report any more (disk full, or its reader gone); the run goes on and fails"));
        reportFailed_ = true;
    }
}
