// Output checks by file identity and by the sound files' signatures.
#include "app/options/output_checks.h"

#include <map>

#include "app/batch/output_target.h"
#include "platform/file_identity.h"
#include "platform/text.h"
#include "platform/translation.h"

std::string CheckOutputs(ConversionPlan& plan) {
    std::map<FileIdentity, const std::string*> inputs;
    for (const PlannedFile& file : plan.files) {
        if (const auto identity = IdentifyFile(file.input)) inputs.emplace(*identity, &file.input);
    }
    for (PlannedFile& file : plan.files) {
        if (!file.error.empty() || file.output.empty()) continue;
        if (const auto identity = IdentifyFile(file.output)) {
            const auto input = inputs.find(*identity);
            if (input != inputs.end()) {
                return Formatted(Tr("the output %s is the input %s; nothing was converted"), file.output.c_str(),
                                 input->second->c_str());
            }
        }
        if (IsOtherThanSoundFile(file.output)) file.error = NotReplacedSoundLine(file.output);
    }
    return {};
}
