#pragma once
// An installation, or a removal, decided in full before anything is written: every step, and
// where and why it would stop. The dry run shows the plan, the check judges it, and the run
// carries it out; so the three never disagree.

#include <functional>
#include <string>
#include <vector>

#include "ini/INIRead.h"
#include "install/InstallReport.h"
#include "install/SettingsFolder.h"
#include "platform/Platform.h"

// How a plan reads the driver's files.
enum class PlanReads {
    Exclusive,  // as the installation does: each driver file opened for update and sole use
    Shared,     // as the check does: without write access or exclusive use
};

class InstallPlan {
public:
    // Carries out a writing step; its failure is reported as the step's cause.
    using Write = std::function<platform::FileStatus()>;
    using CauseOf = std::function<FailureCause(platform::FileStatus)>;

    explicit InstallPlan(PlanReads reads) : m_reads(reads) {}
    InstallPlan(const InstallPlan&) = delete;
    InstallPlan& operator=(const InstallPlan&) = delete;

    PlanReads Reads() const { return m_reads; }
    bool Exclusive() const { return m_reads == PlanReads::Exclusive; }
    // The plan as decided: no step done yet, and the cause where it stops.
    InstallReport& Report() { return m_report; }

    // The plan's first step, on the folder the search left in `settings`: 0 with the folder
    // reported; else the plan stops (-1), after the installation's `warning` when no
    // candidate is a real folder.
    int EnterSettingsFolder(FolderSearch search, const std::string& warning,
                            const InstallOptions& options);

    // A decision that writes nothing: a kept file, a reused entry.
    void Note(StepKind kind, const std::string& file, const std::string& key = std::string(),
              std::int64_t slot = 0);
    // An edit of the list file, carried out by the save that follows it.
    void EditList(StepKind kind, const std::string& file, const std::string& key,
                  std::int64_t slot);
    // A step that writes; its failure stops the run with the cause it is given.
    void Add(StepKind kind, const std::string& file, const std::string& key, std::int64_t slot,
             Write write, CauseOf failure);
    // A copy of the profile set: its failure ends the copying, not the run.
    void AddCopy(const std::string& file, Write write);
    // Something that must hold when the run gets here, though an earlier step may fail to
    // bring it about; otherwise the run stops here with `cause`.
    void Require(std::function<bool()> holds, FailureCause cause, const std::string& file);

    // Decides that the run stops here, for `cause`; -1.
    int Stop(FailureCause cause, const std::string& file);
    bool Stops() const { return m_report.cause != FailureCause::None; }
    // A failure that does not stop the run: the steps after it are still taken, and the run
    // then ends with it.
    void FailAtEnd(FailureCause cause, const std::string& file);
    // The result the plan leads to, once all is decided or done: 0, or -1 with the cause in
    // the report.
    int Conclude();

    // Carries out the steps in order, up to where the plan stops, and concludes. A step
    // first checks that what the plan saw still holds.
    int Apply();

    // What the plan holds open and works on while it lives.
    SettingsFolder settings;
    CINIRead list;

private:
    static constexpr std::size_t kNoStep = static_cast<std::size_t>(-1);
    struct Action {
        std::size_t step = kNoStep;  // in the report; none for a requirement
        Write write;                 // null for steps that write nothing themselves
        CauseOf failure;             // null for the copies of the profile set
        std::string file;            // a requirement's
    };
    // 0, or -1 with the run stopped.
    int Carry(const Action& action, bool& copying);
    void Push(StepKind kind, const std::string& file, const std::string& key, std::int64_t slot,
              Action action);
    void MarkListEditsDone();

    PlanReads m_reads;
    InstallReport m_report;
    FailureCause m_endCause = FailureCause::None;
    std::string m_endFile;
    std::vector<Action> m_actions;  // the steps of the report and the requirements, in order
};

// Decides with `planner`, then, but for a dry run, carries the plan out; the report is the
// plan's, with what was done. An exception that leaves either is a reported failure.
int RunPlanned(const InstallOptions& options, InstallReport& report,
               const std::function<void(InstallPlan&)>& planner);

// The cause that a copy of the profile set that cannot be made is reported as.
FailureCause CopyFailureCause(platform::FileStatus status);
