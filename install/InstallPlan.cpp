#include "install/InstallPlan.h"

#include "install/Drivers.h"
#include "platform/Platform.h"

InstallPlan::InstallPlan(PlanPurpose purpose, std::string kitSource, InstallOptions options)
    : m_kitSource(std::move(kitSource)), m_options(std::move(options)) {
    m_report.purpose = purpose;
}

void InstallPlan::Warn(const std::string& text) {
    m_report.warnings.push_back(text);
    if (m_options.warn) {
        m_options.warn(text);
    }
}

void InstallPlan::Notice(const std::string& text) {
    m_report.warnings.push_back(text);
    if (m_options.notice) {
        m_options.notice(text);
    }
}

int InstallPlan::EnterSettingsFolder(const Driver& driver, FolderSearch search,
                                     SettingsFolder found) {
    settings = std::move(found);
    if (search == FolderSearch::NoCommonAppData) {
        return Stop(FailureCause::SettingsFolderMissing, std::string());
    }
    if (search == FolderSearch::Busy) {
        return Stop(FailureCause::SettingsFolderLocked, settings.path);
    }
    if (search == FolderSearch::Missing) {
        // A driver that is gone, or was never there, has nothing registered: deployment
        // systems run the removal after the driver's own may have taken its folders away.
        if (Purpose() == PlanPurpose::Uninstall) {
            m_report.action = SlotAction::Absent;
            return -1;
        }
        // The check reads without a word; the installation says so as it always has.
        if (!IsCheck()) {
            Warn(driver.folderMissing);
        }
        return Stop(FailureCause::SettingsFolderMissing, settings.path);
    }
    m_report.settingsFolder = settings.path;
    m_report.markerFile = settings.folder.PathOf(driver.markerFile);
    NoticeWeakerFolders();
    return 0;
}

void InstallPlan::NoticeWeakerFolders() {
    if (!settings.passedOverFolder.empty()) {
        Notice("フォルダ「" + platform::PathToUtf8(settings.passedOverFolder) +
               "」は管理者以外の利用者が作成したものであるため、設定フォルダとして"
               "使いませんでした。");
    }
    // A removal works in every folder, so names none as left out.
    if (!settings.otherFolder.empty() && Purpose() != PlanPurpose::Uninstall) {
        Notice(OtherFolderNotice());
    }
    if (!settings.foreignFolder.empty()) {
        Notice("フォルダ「" + platform::PathToUtf8(settings.foreignFolder) +
               "」は管理者以外の利用者が作成したものです。ほかに設定フォルダがないため"
               "使いますが、ドライバが作成したフォルダか確認してください。");
    }
}

std::string InstallPlan::OtherFolderNotice() const {
    const std::string chosen = "「" + platform::PathToUtf8(settings.path) + "」";
    const std::string other = "「" + platform::PathToUtf8(settings.otherFolder) + "」";
    const std::string why =
        settings.choice == FolderChoice::Registered
            ? chosen + "の一覧ファイルには登録済みで、" + other + "の一覧ファイルには未登録のため"
        : settings.choice == FolderChoice::HasList
            ? other + "には一覧ファイルがなく、" + chosen + "にはあるため"
            : chosen + "が先に探す設定フォルダのため";
    return "フォルダ" + other + "にもドライバの設定フォルダがありますが、" + why + "、" +
           (IsCheck() ? "確かめたのは" : "設定するのは") + chosen + "だけです。";
}

void InstallPlan::Push(StepKind kind, const std::string& file, const std::string& key,
                       std::int64_t slot, Action action) {
    action.step = m_report.steps.size();
    m_report.AddStep(kind, file, key, slot);
    m_actions.push_back(std::move(action));
}

void InstallPlan::Note(StepKind kind, const std::string& file, const std::string& key,
                       std::int64_t slot) {
    Push(kind, file, key, slot, Action{});
}

void InstallPlan::EditList(StepKind kind, const std::string& file, const std::string& key,
                           std::int64_t slot) {
    Push(kind, file, key, slot, Action{});
}

void InstallPlan::Add(StepKind kind, const std::string& file, const std::string& key,
                      std::int64_t slot, Write write, FailureOf failure) {
    Push(kind, file, key, slot, Action{kNoStep, std::move(write), std::move(failure), {}});
}

void InstallPlan::AddCopy(const std::string& file, Write write, StepKind kind) {
    Push(kind, file, std::string(), 0, Action{kNoStep, std::move(write), {}, {}});
}

void InstallPlan::Require(std::function<bool()> holds, FailureCause cause,
                          const std::string& file) {
    m_actions.push_back(Action{
        kNoStep,
        [holds] { return holds() ? platform::FileStatus::Ok : platform::FileStatus::Missing; },
        [cause](platform::FileStatus) { return cause; }, file});
}

int InstallPlan::Stop(FailureCause cause, const std::string& file) {
    return Fail(cause, file);
}

int InstallPlan::Fail(FailureCause cause, const std::string& file) {
    // The first failure is the one to report: a refused copy, not the template it left out.
    return m_endCause != FailureCause::None ? m_report.Fail(m_endCause, m_endFile)
                                            : m_report.Fail(cause, file);
}

void InstallPlan::FailAtEnd(FailureCause cause, const std::string& file) {
    if (m_endCause == FailureCause::None) {
        m_endCause = cause;
        m_endFile = file;
    }
}

int InstallPlan::Conclude() {
    if (!Stops() && m_endCause != FailureCause::None) {
        m_report.Fail(m_endCause, m_endFile);
    }
    return Stops() ? -1 : 0;
}

void InstallPlan::MarkListEditsDone() {
    for (InstallStep& step : m_report.steps) {
        step.done = step.done || EditsList(step.kind);
    }
}

int InstallPlan::Carry(const Action& action, bool& copying) {
    if (action.step == kNoStep) {
        const platform::FileStatus status = action.write();
        return status == platform::FileStatus::Ok ? 0 : Fail(action.failure(status), action.file);
    }
    InstallStep& step = m_report.steps[action.step];
    if (CopiesKit(step.kind) && !copying) {
        return 0;
    }
    if (!action.write) {
        step.done = !EditsList(step.kind);
        return 0;
    }
    const platform::FileStatus status = action.write();
    if (status == platform::FileStatus::Ok) {
        step.done = true;
        if (step.kind == StepKind::SaveList) {
            MarkListEditsDone();
        }
        return 0;
    }
    if (!action.failure) {
        // The copy of the profile set stops here; the run goes on, and fails in the end.
        copying = false;
        FailAtEnd(CauseOf(FileRole::CopyTarget, status), step.file);
        return 0;
    }
    // Another program changed what the plan saw: worth trying again, whatever the step.
    return Fail(status == platform::FileStatus::Changed ? FailureCause::FileChanged
                                                        : action.failure(status),
                step.file);
}

bool InstallPlan::IsKitCopy(const Action& action) const {
    return action.step != kNoStep && CopiesKit(m_report.steps[action.step].kind);
}

int InstallPlan::Apply() {
    // A run whose plan stops takes no step it could not give back: an installation makes the
    // copies of the profile set that come before the stop, and nothing else; a removal
    // nothing at all.
    const bool stops = Stops();
    if (stops && Purpose() != PlanPurpose::Install) {
        return Conclude();
    }
    bool copying = true;
    for (const Action& action : m_actions) {
        if (stops && !IsKitCopy(action)) {
            continue;
        }
        if (Carry(action, copying) != 0) {
            return -1;
        }
    }
    return Conclude();
}
