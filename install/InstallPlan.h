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

struct Driver;

class InstallPlan {
public:
    // Carries out a writing step; its failure is reported as the step's cause.
    using Write = std::function<platform::FileStatus()>;
    using FailureOf = std::function<FailureCause(platform::FileStatus)>;

    InstallPlan(PlanPurpose purpose, std::string kitSource, InstallOptions options);
    InstallPlan(const InstallPlan&) = delete;
    InstallPlan& operator=(const InstallPlan&) = delete;

    PlanPurpose Purpose() const { return m_report.purpose; }
    // A check writes nothing, ever, and asks for no write access. Every plan reads the
    // driver's files as any reader may; one that writes then asks of each file it would write
    // whether it may, so that the dry run foresees what the run meets.
    bool IsCheck() const { return Purpose() == PlanPurpose::Check; }
    // `ask`'s answer whether a step may write what it would, asked only by a plan that writes;
    // a check takes Ok.
    platform::FileStatus MayWrite(const std::function<platform::FileStatus()>& ask) const {
        return IsCheck() ? platform::FileStatus::Ok : ask();
    }
    // The kit's profile set of the driver.
    const std::string& KitSource() const { return m_kitSource; }
    // Whether the kit's copies replace newer files too.
    bool RollsBack() const { return m_options.rollback; }
    // The plan as decided: no step done yet, and the cause where it stops.
    InstallReport& Report() { return m_report; }

    // The warning the dialog shows in a box: recorded, and shown but by a check.
    void Warn(const std::string& text);
    // A warning the report alone carries; the console program shows it too.
    void Notice(const std::string& text);

    // The plan's first step: the driver's settings folder, as the search found it, held. 0
    // with the folder reported; else the plan goes no further (-1): it stops, after the
    // driver's warning when no candidate is a real folder, but for a removal, which then has
    // nothing registered to take away.
    int EnterSettingsFolder(const Driver& driver, FolderSearch search, SettingsFolder found);

    // A decision that writes nothing: a kept file, a reused entry.
    void Note(StepKind kind, const std::string& file, const std::string& key = std::string(),
              std::int64_t slot = 0);
    // An edit of the list file, carried out by the save that follows it.
    void EditList(StepKind kind, const std::string& file, const std::string& key,
                  std::int64_t slot);
    // A step that writes; its failure stops the run with the cause it is given.
    void Add(StepKind kind, const std::string& file, const std::string& key, std::int64_t slot,
             Write write, FailureOf failure);
    // A copy of the profile set (CopyFile, CopyOverForeign or RollBack): its failure ends the
    // copying, not the run.
    void AddCopy(const std::string& file, Write write, StepKind kind = StepKind::CopyFile);
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

    // Carries out the steps in order and concludes; a plan that stops takes only the copies
    // of the profile set, of an installation, before the stop. A step first checks that what
    // the plan saw still holds.
    int Apply();

    // What the plan holds open and works on while it lives.
    SettingsFolder settings;
    CINIRead list;

private:
    static constexpr std::size_t kNoStep = static_cast<std::size_t>(-1);
    struct Action {
        std::size_t step = kNoStep;  // in the report; none for a requirement
        Write write;                 // null for steps that write nothing themselves
        FailureOf failure;           // null for the copies of the profile set
        std::string file;            // a requirement's
    };
    // Records the failure, or the one that came before it and did not stop the run; -1.
    int Fail(FailureCause cause, const std::string& file);
    // 0, or -1 with the run stopped.
    int Carry(const Action& action, bool& copying);
    bool IsKitCopy(const Action& action) const;
    void Push(StepKind kind, const std::string& file, const std::string& key, std::int64_t slot,
              Action action);
    void MarkListEditsDone();
    void NoticeWeakerFolders();
    // Which other candidate folder the plan leaves alone, and why.
    std::string OtherFolderNotice() const;

    std::string m_kitSource;
    InstallOptions m_options;
    InstallReport m_report;
    FailureCause m_endCause = FailureCause::None;
    std::string m_endFile;
    std::vector<Action> m_actions;  // the steps of the report and the requirements, in order
};
