// The test seam: the failures, waits and records that tests plan, and the hooks through which
// the front (Platform.cpp) consults them. Compiled into the unit tests' build of the core only.

#include "platform/TestSeam.h"

#include <array>
#include <cstddef>
#include <utility>

#include "platform/SeamHooks.h"

namespace platform {

namespace {

struct PlannedFailure {
    int callsUntilFailure = 0;  // 0: none planned
    bool fromThenOn = false;
    bool failing = false;
};

std::array<PlannedFailure, static_cast<std::size_t>(Call::Count)> plannedFailures;
bool recordingMessageBoxes = false;
int waitLimit = 0;
std::function<void(const std::string&)> temporaryFileWritten;
std::vector<std::string> recordedMessageBoxes;

PlannedFailure& PlanFor(Call call) {
    return plannedFailures[static_cast<std::size_t>(call)];
}

}  // namespace

void FailCall(Call call, int nth, bool fromThenOn) {
    PlanFor(call) = PlannedFailure{nth, fromThenOn, false};
}

void ClearFailures() {
    plannedFailures.fill(PlannedFailure{});
}

bool AnyFailurePlanned() {
    for (const PlannedFailure& plan : plannedFailures) {
        if (plan.callsUntilFailure > 0 || plan.failing) {
            return true;
        }
    }
    return false;
}

void OnTemporaryFileWritten(std::function<void(const std::string& temporary)> act) {
    temporaryFileWritten = std::move(act);
}

void LimitWaits(int milliseconds) {
    waitLimit = milliseconds;
}

void RecordMessageBoxes(bool record) {
    recordingMessageBoxes = record;
}

std::vector<std::string> TakeRecordedMessageBoxes() {
    return std::exchange(recordedMessageBoxes, {});
}

namespace seam {

bool ShouldFail(Call call) {
    PlannedFailure& plan = PlanFor(call);
    if (plan.failing) {
        return true;
    }
    if (plan.callsUntilFailure <= 0) {
        return false;
    }
    if (--plan.callsUntilFailure > 0) {
        return false;
    }
    plan.failing = plan.fromThenOn;
    return true;
}

void TemporaryFileWritten(const std::string& temporary) {
    if (temporaryFileWritten) {
        std::exchange(temporaryFileWritten, nullptr)(temporary);
    }
}

int WaitLimit(int realLimit) {
    return waitLimit > 0 ? waitLimit : realLimit;
}

bool RecordMessageBox(const std::string& text) {
    if (recordingMessageBoxes) {
        recordedMessageBoxes.push_back(text);
    }
    return recordingMessageBoxes;
}

}  // namespace seam

}  // namespace platform
