// Counting, reporting and recording each finished input.
#include "app/options/run_results.h"

#include "app/options/option_command_line.h"
#include "app/options/up_to_date.h"
#include "app/startup/module_discovery.h"
#include "platform/standard_error.h"

bool RunResults::Open(const ConversionRequest& request, std::string& error) {
    if (request.skipUpToDate) fingerprint_ = OptionsFingerprint(request);
    if (!request.report) return true;
    report_.emplace();
    report_->SetSound(SoundJson(DescribeSound(request.sound, g_szModulePath)));
    return report_->Open(*request.report, error);
}

void RunResults::Add(const FileResult& result) {
    switch (result.status) {
        case FileStatus::kConverted:
            ++totals_.converted;
            totals_.audioSeconds += result.audioSeconds;
            if (fingerprint_ && !RecordOptions(result.output, *fingerprint_)) {
                WriteErrorLine("cannot write the options record " + OptionsRecordPath(result.output) +
                               " (the file will be converted again next time)");
            }
            break;
        case FileStatus::kSkipped: ++totals_.skipped; break;
        case FileStatus::kFailed: ++totals_.failed; break;
    }
    if (report_ && !report_->Write(result) && !reportFailed_) {
        WriteErrorLine("cannot write the report any more (disk full, or its reader gone)");
        reportFailed_ = true;
    }
}
