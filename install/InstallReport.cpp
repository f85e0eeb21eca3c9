#include "install/InstallReport.h"

#include <algorithm>
#include <new>

const char* ActionCode(SlotAction action) {
    switch (action) {
        case SlotAction::Reused:
            return "reused";
        case SlotAction::Filled:
            return "filled";
        case SlotAction::Appended:
            return "appended";
        case SlotAction::Removed:
            return "removed";
        case SlotAction::Absent:
            return "absent";
        case SlotAction::None:
            break;
    }
    return "none";
}

void InstallReport::AddStep(StepKind kind, const std::string& file, const std::string& stepKey,
                            std::int64_t slot) {
    steps.push_back(InstallStep{kind, file, stepKey, slot, false});
}

bool InstallReport::HasStep(StepKind kind) const {
    return std::any_of(steps.begin(), steps.end(),
                       [kind](const InstallStep& step) { return step.kind == kind; });
}

bool InstallReport::Writes() const {
    return std::any_of(steps.begin(), steps.end(),
                       [](const InstallStep& step) { return WritesFile(step.kind); });
}

int InstallReport::Fail(FailureCause failure, const std::string& file) {
    cause = failure;
    failedFile = file;
    return -1;
}

bool InstallReport::Installed() const {
    if (purpose == PlanPurpose::Uninstall) {
        // The entries stay registered until the run that removes them succeeds.
        return action == SlotAction::Removed && (!applied || cause != FailureCause::None);
    }
    // A plan not carried out: nothing stops it and no piece of an installation is missing,
    // though it may tidy up (a leftover under the profile's shipped name).
    return cause == FailureCause::None && (applied || MissingPieces().empty());
}

namespace {

void AddPiece(std::vector<std::string>& pieces, const char* piece) {
    if (piece != nullptr && std::find(pieces.begin(), pieces.end(), piece) == pieces.end()) {
        pieces.emplace_back(piece);
    }
}

// A copy of the file that marks the driver installed is its template, not any file of the set.
const char* CopyPiece(const char* piece, const std::string& file, const std::string& marker) {
    const bool copy = piece != nullptr && std::string(piece) == StepPiece(StepKind::CopyFile);
    return copy && file == marker ? "template-file" : piece;
}

}  // namespace

std::vector<std::string> InstallReport::MissingPieces() const {
    std::vector<std::string> pieces;
    for (const InstallStep& step : steps) {
        AddPiece(pieces, CopyPiece(StepPiece(step.kind), step.file, markerFile));
    }
    AddPiece(pieces, CopyPiece(FailurePiece(cause), failedFile, markerFile));
    return pieces;
}

int RunReported(InstallReport& report, const std::function<int()>& install) {
    try {
        return install();
    } catch (const std::bad_alloc&) {
        return report.Fail(FailureCause::OutOfMemory, std::string());
    } catch (...) {
        return report.Fail(FailureCause::Unexpected, std::string());
    }
}
