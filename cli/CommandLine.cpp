#include "cli/CommandLine.h"

namespace {

// A driver's code, or "auto" for every driver (null).
bool ParseDriver(const std::string& word, const Driver*& driver) {
    driver = FindDriver(word);
    return driver != nullptr || word == "auto";
}

// "(psip | twain | auto)"
std::string DriverChoices() {
    std::string choices = "(";
    for (const Driver* driver : AllDrivers()) {
        choices += std::string(driver->code) + " | ";
    }
    return choices + "auto)";
}

// "PaperStream IP、fiシリーズ TWAIN"
std::string AutoOrder() {
    std::string order;
    for (const Driver* driver : AllDrivers()) {
        order += (order.empty() ? "" : "、") + std::string(driver->label);
    }
    return order;
}

// "psip、twain、auto"
std::string DriverWords() {
    std::string words;
    for (const Driver* driver : AllDrivers()) {
        words += std::string(driver->code) + "、";
    }
    return words + "auto";
}

// The options after the command and the driver; each may stand once.
bool ParseOptions(const std::vector<std::string>& arguments, std::size_t first, CliOptions& options,
                  std::string& error) {
    // Only what changes the PC can be rehearsed; every command can be logged. A rollback is
    // of what an installation copies, and a check judges the installation it would make.
    const bool changes = options.command != CliCommand::Check;
    const bool copies = options.command != CliCommand::Uninstall;
    bool sourceSeen = false, logSeen = false;
    for (std::size_t index = first; index < arguments.size(); ++index) {
        const std::string& option = arguments[index];
        const bool takesValue = option == "--source" || option == "--log";
        if (takesValue && index + 1 == arguments.size()) {
            error = option + " に値がありません。";
            return false;
        }
        bool& seen = option == "--source" ? sourceSeen : logSeen;
        if (takesValue && seen) {
            error = option + " が二度あります。";
            return false;
        }
        if (takesValue) {
            seen = true;
            (option == "--source" ? options.source : options.logPath) = arguments[++index];
            if (arguments[index].empty()) {
                error = option + " の値が空です。";
                return false;
            }
        } else if (changes && option == "--dry-run") {
            options.dryRun = true;
        } else if (copies && option == "--rollback") {
            options.rollback = true;
        } else if (option == "--json") {
            options.json = true;
        } else {
            error = "不明なオプションです: " + option;
            return false;
        }
    }
    return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& arguments, CliOptions& options,
                      std::string& error) {
    options = CliOptions{};
    error.clear();
    if (arguments.empty()) {
        error = "コマンドがありません。";
        return false;
    }
    const std::string& command = arguments[0];
    const bool help = command == "--help" || command == "-h" || command == "/?";
    if (help || command == "--version") {
        options.command = help ? CliCommand::Help : CliCommand::Version;
        if (arguments.size() > 1) {
            error = "余分な引数があります: " + arguments[1];
            return false;
        }
        return true;
    }
    if (command == "install") {
        options.command = CliCommand::Install;
    } else if (command == "check") {
        options.command = CliCommand::Check;
    } else if (command == "uninstall") {
        options.command = CliCommand::Uninstall;
    } else {
        error = "不明なコマンドです: " + command;
        return false;
    }
    if (arguments.size() < 2 || !ParseDriver(arguments[1], options.driver)) {
        error = command + " の後に " + DriverWords() + " のいずれかを指定してください。";
        return false;
    }
    return ParseOptions(arguments, 2, options, error);
}

std::string UsageText() {
    const std::string choices = DriverChoices();
    std::string text =
        "使い方:\n"
        "  BrenwickCli install   " +
        choices +
        " [--source KIT] [--dry-run] [--rollback] [--log FILE] [--json]\n"
        "  BrenwickCli check     " +
        choices +
        " [--source KIT] [--rollback] [--log FILE] [--json]\n"
        "  BrenwickCli uninstall " +
        choices +
        " [--source KIT] [--dry-run] [--log FILE] [--json]\n"
        "  BrenwickCli --help | --version\n"
        "\n"
        "  install    通帳読取のスキャナドライバ設定をインストールします。\n"
        "  check      インストール済みかどうかを調べます (何も書き込みません)。\n"
        "  uninstall  インストールした設定を削除します。\n";
    for (const Driver* driver : AllDrivers()) {
        const std::string code = driver->code;
        text += "  " + code + std::string(code.size() < 11 ? 11 - code.size() : 1, ' ') +
                driver->description + "\n";
    }
    return text + "  auto       設定フォルダがあるドライバすべて (" + AutoOrder() +
           "の順)\n"
           "  --source   PSIP と Twain を含む配布フォルダ (既定: この実行ファイルのフォルダ)\n"
           "  --dry-run  行う内容を表示するだけで、何も変更しません。\n"
           "  --rollback PC のファイルのほうが新しくても、配布フォルダのファイルに戻します\n"
           "             (check: そのインストールを済ませたかどうかを調べます)。\n"
           "  --log      実行ごとに 1 件の記録をファイルに追記します (UTF-8)。\n"
           "  --json     標準出力に JSON オブジェクトを 1 つ出力します (ASCII)。\n"
           "\n"
           "終了コード: 0 インストール済み (uninstall: 削除済み)、1 失敗または未インストール、"
           "2 コマンドラインの誤り (何もしていません)、3 auto で設定フォルダが見つからない、"
           "1618 ドライバのファイルを他のプログラムが使用中 (後でもう一度実行してください)\n";
}
