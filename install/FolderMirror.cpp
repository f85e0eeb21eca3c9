#include "install/FolderMirror.h"

#include <memory>
#include <vector>

#include "install/KitFolder.h"
#include "text/Cp932.h"

namespace {

bool IsMirrored(const platform::FolderEntry& entry, const std::string& placedElsewhere) {
    return entry.name != "." && entry.name != ".." && !entry.isDirectory &&
           !cp932::EqualsNoCase(entry.name, "Thumbs.db") &&
           !cp932::EqualsNoCase(entry.name, placedElsewhere);
}

// A target without a version resource that is newer than its source was edited on this
// machine: it is kept.
bool KeepsNewerTarget(const platform::Folder& folder, const std::string& name,
                      const platform::FileInfo& target, const platform::KitFile& source) {
    return target.lastWriteSeconds > source.lastWriteSeconds &&
           !platform::HasVersionResource(folder, name);
}

// Why a copy onto the target that stands at the name could not be made, or Ok.
platform::FileStatus RefusalOf(InstallPlan& plan, const std::string& name,
                               const platform::FileInfo& target, const platform::KitFile& source) {
    if (target.kind != platform::FileKind::Regular) {
        return platform::FileStatus::Unsafe;
    }
    if (target.readOnly) {
        return platform::FileStatus::ReadOnly;
    }
    if (target.hidden) {
        return platform::FileStatus::Hidden;
    }
    if (!plan.IsCheck()) {
        return platform::CheckCopyTarget(plan.settings.folder, name);
    }
    // A check asks for no write access, but meets a target another program holds as busy.
    return CompareWithKit(plan.settings.folder, name, source.bytes) == platform::FileStatus::Locked
               ? platform::FileStatus::Locked
               : platform::FileStatus::Ok;
}

enum class Copying { GoesOn, Ends, PlanStops };

// What becomes of a target that is a regular file: left as the kit's already, kept by the
// newer-file rule, or copied over. Only a file that an administrator, the system or the
// running account owns is left or kept: another user's is theirs to change, no installation,
// and is copied over though it holds the kit's bytes. A newer file is rolled back when asked.
enum class TargetFate { Left, Kept, RolledBack, Copied, CopiedOverForeign };

// `busy` tells a target another program holds, which is then no different from the kit's.
TargetFate FateOf(const InstallPlan& plan, const std::string& name,
                  const platform::FileInfo& target, const platform::KitFile& source, bool& busy) {
    const platform::Folder& folder = plan.settings.folder;
    busy = false;
    // The kit's bytes are the kit's copy whatever its time: a kit unzipped in another time
    // zone carries times hours off those it was built with, and the detection script knows
    // only the latter.
    const platform::FileStatus same = CompareWithKit(folder, name, source.bytes);
    if (same == platform::FileStatus::Ok) {
        return target.HeldByTrusted() ? TargetFate::Left : TargetFate::CopiedOverForeign;
    }
    if (KeepsNewerTarget(folder, name, target, source)) {
        return !target.HeldByTrusted() ? TargetFate::CopiedOverForeign
               : plan.RollsBack()      ? TargetFate::RolledBack
                                       : TargetFate::Kept;
    }
    busy = same == platform::FileStatus::Locked;
    return TargetFate::Copied;
}

Copying PlanFileCopy(const std::string& name, const std::string& sourceFile, InstallPlan& plan) {
    const platform::Folder& folder = plan.settings.folder;
    const std::string targetFile = folder.PathOf(name);
    auto source = std::make_shared<platform::KitFile>();
    const platform::FileStatus read = platform::ReadKitFile(sourceFile, kKitFileLimit, *source);
    if (read == platform::FileStatus::TooLarge) {
        plan.Stop(CauseOf(FileRole::KitFile, read), sourceFile);
        return Copying::PlanStops;
    }
    if (read != platform::FileStatus::Ok) {
        plan.FailAtEnd(CauseOf(FileRole::KitFile, read), sourceFile);
        return Copying::Ends;
    }
    platform::FileInfo target;
    platform::FileStatus found = platform::InspectFile(folder, name, target);
    StepKind copy = StepKind::CopyFile;
    if (found == platform::FileStatus::Ok && target.kind == platform::FileKind::Regular) {
        bool busy = false;
        const TargetFate fate = FateOf(plan, name, target, *source, busy);
        if (fate == TargetFate::Kept) {
            // An updated kit whose files carry older times than the PC's is never copied.
            plan.Note(StepKind::KeepFile, targetFile);
            // A check copies nothing: it tells what the installation does with the file.
            plan.Notice("配布ファイル「" + platform::PathToUtf8(sourceFile) + "」は「" +
                        platform::PathToUtf8(targetFile) + "」より古いため、" +
                        (plan.IsCheck() ? "インストールしてもコピーされません。"
                                        : "コピーしませんでした。") +
                        "配布ファイルを新しくしたときは、更新日時も新しくしてください。");
            return Copying::GoesOn;
        }
        if (fate == TargetFate::Left) {
            return Copying::GoesOn;
        }
        copy = fate == TargetFate::CopiedOverForeign ? StepKind::CopyOverForeign
               : fate == TargetFate::RolledBack      ? StepKind::RollBack
                                                     : copy;
        // A target another program holds is busy, not different.
        found = busy ? platform::FileStatus::Locked : found;
    }
    // A missing target asks whether the folder may take a new file.
    const platform::FileStatus refusal =
        found == platform::FileStatus::Ok ? RefusalOf(plan, name, target, *source)
        : found == platform::FileStatus::Missing
            ? plan.MayWrite([&] { return platform::CheckCopyTarget(folder, name); })
            : found;
    if (refusal != platform::FileStatus::Ok) {
        plan.FailAtEnd(CauseOf(FileRole::CopyTarget, refusal), targetFile);
        return Copying::Ends;
    }
    const platform::FileIdentity expected = target.identity;  // none when missing
    plan.AddCopy(
        targetFile,
        [&folder, name, source, expected] {
            return platform::WriteKitFile(folder, name, *source, platform::HiddenTarget::Refuse,
                                          &expected);
        },
        copy);
    return Copying::GoesOn;
}

// Whatever is in the kit is installed: a kit that users may change steers the installation.
void NoticeWritableKit(InstallPlan& plan) {
    const std::string& sourceFolder = plan.KitSource();
    std::string kitFolder, leaf, programFolder;
    platform::SplitPath(sourceFolder, kitFolder, leaf);
    platform::SplitPath(PlainModulePath(platform::ExecutablePath()), programFolder, leaf);
    std::vector<std::string> folders = {sourceFolder, kitFolder};
    if (programFolder != kitFolder) {
        folders.push_back(programFolder);
    }
    for (const std::string& folder : folders) {
        if (platform::OthersMayWrite(folder)) {
            plan.Notice("フォルダ「" + platform::PathToUtf8(folder) +
                        "」には管理者以外の利用者も書き込めます。配布フォルダとプログラムは、"
                        "管理者だけが書き込めるフォルダに置いてください。");
        }
    }
}

}  // namespace

platform::FileStatus CompareWithKit(const platform::Folder& folder, const std::string& name,
                                    const std::string& bytes) {
    std::string found;
    platform::FileIdentity identity;
    const platform::FileStatus read =
        platform::ReadFileShared(folder, name, kKitFileLimit, found, identity);
    if (read == platform::FileStatus::TooLarge) {
        return platform::FileStatus::Changed;  // longer than any kit file
    }
    return read != platform::FileStatus::Ok ? read
           : found == bytes                 ? platform::FileStatus::Ok
                                            : platform::FileStatus::Changed;
}

std::string KitNotComparedWarning(const std::string& kitFile) {
    return "配布ファイル「" + platform::PathToUtf8(kitFile) +
           "」を読み込めないため、設定フォルダのファイルと比べられませんでした。";
}

int PlanFolderMirror(InstallPlan& plan, const std::string& placedElsewhere,
                     DriverFileTest isDriverFile) {
    const std::string& sourceFolder = plan.KitSource();
    NoticeWritableKit(plan);  // the check too: such a kit steers what the next run installs
    std::vector<platform::FolderEntry> entries;
    if (!platform::ListFolder(sourceFolder, entries)) {
        // Nothing to copy, as ever; but whoever deploys the kit should know.
        plan.Notice("配布フォルダ「" + platform::PathToUtf8(sourceFolder) +
                    "」がないか読めないため、" +
                    (plan.IsCheck() ? "設定フォルダのファイルと比べられませんでした。"
                                    : "コピーしたファイルはありません。"));
        return 0;
    }
    for (const platform::FolderEntry& entry : entries) {
        // A name with '~' may be the short name of another file there, the driver's own.
        const bool unsafe = cp932::FindChar(entry.name, '~') != std::string::npos ||
                            (isDriverFile != nullptr && isDriverFile(entry.name));
        if (IsMirrored(entry, placedElsewhere) && unsafe) {
            return plan.Stop(FailureCause::KitUnsafe, platform::JoinPath(sourceFolder, entry.name));
        }
    }
    for (const platform::FolderEntry& entry : entries) {
        if (!IsMirrored(entry, placedElsewhere)) {
            continue;
        }
        const Copying copying =
            PlanFileCopy(entry.name, platform::JoinPath(sourceFolder, entry.name), plan);
        if (copying != Copying::GoesOn) {
            return copying == Copying::PlanStops ? -1 : 0;
        }
    }
    return 0;
}

namespace {

// The copies alone, with no driver and no one to warn.
InstallOptions Quiet() {
    return InstallOptions([](const std::string&) {});
}

}  // namespace

int CopyFolderFiles(const std::string& sourceFolder, const std::string& targetFolder) {
    InstallPlan plan(PlanPurpose::Install, sourceFolder, Quiet());
    if (platform::OpenFolder(targetFolder, plan.settings.folder) != platform::FileStatus::Ok) {
        // Nowhere to copy to: done only when there is nothing to copy.
        std::vector<platform::FolderEntry> entries;
        platform::ListFolder(sourceFolder, entries);
        for (const platform::FolderEntry& entry : entries) {
            if (IsMirrored(entry, std::string())) {
                return 0;
            }
        }
        return 1;
    }
    PlanFolderMirror(plan, std::string(), nullptr);
    return plan.Apply() == 0 ? 1 : 0;
}

int CopyFileIfNeeded(const std::string& targetFile, const std::string& sourceFile) {
    InstallPlan plan(PlanPurpose::Install, std::string(), Quiet());
    std::string name;
    if (platform::OpenFolderOf(targetFile, plan.settings.folder, name) !=
        platform::FileStatus::Ok) {
        return 0;
    }
    PlanFileCopy(name, sourceFile, plan);
    return plan.Apply() == 0 ? 1 : 0;
}
