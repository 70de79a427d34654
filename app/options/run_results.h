// What the option command line does with each finished input beyond its
// log: the line of the report (--report) and the counts of the summary.
#pragma once

#include <optional>
#include <string>

#include "app/options/file_result.h"
#include "app/options/run_report.h"

struct ConversionRequest;

class RunResults {
public:
    // Opens the report that `request` asks for; false with the reason in `error`.
    bool Open(const ConversionRequest& request, std::string& error);
    // Takes one finished input.
    void Add(const FileResult& result);
    const RunTotals& Totals() const { return totals_; }
    // True once a line of the report could not be written (said once on standard error).
    bool ReportFailed() const { return reportFailed_; }

private:
    std::optional<RunReport> report_;
    RunTotals totals_;
    bool reportFailed_ = false;
};
