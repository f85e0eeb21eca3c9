#include "cli/OutcomeJson.h"

#include <cstdint>

#include "platform/Platform.h"
#include "res/Version.h"

namespace {

// Length of the well-formed UTF-8 sequence at `pos`, or 0.
std::size_t Utf8Length(const std::string& text, std::size_t pos) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(pos);
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xC2 ? 0
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF5 ? 4
                                             : 0;
    if (length == 0 || pos + length > text.size()) {
        return 0;
    }
    for (std::size_t next = 1; next < length; ++next) {
        if ((byte(pos + next) & 0xC0) != 0x80) {
            return 0;
        }
    }
    // No overlong forms, no surrogates, nothing beyond U+10FFFF.
    const unsigned char second = length > 1 ? byte(pos + 1) : 0x80;
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
        return 0;
    }
    return length;
}

// The code point of the well-formed UTF-8 sequence of `length` bytes at `pos`.
std::uint32_t CodePoint(const std::string& text, std::size_t pos, std::size_t length) {
    static const unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    std::uint32_t point = static_cast<unsigned char>(text[pos]) & kLeadMask[length];
    for (std::size_t next = 1; next < length; ++next) {
        point = (point << 6) | (static_cast<unsigned char>(text[pos + next]) & 0x3F);
    }
    return point;
}

// "\uXXXX", as a surrogate pair beyond the first plane.
void AppendEscaped(std::string& json, std::uint32_t point) {
    static const char kHex[] = "0123456789abcdef";
    const auto unit = [&](std::uint32_t value) {
        json += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4) {
            json += kHex[(value >> shift) & 0xF];
        }
    };
    if (point >= 0x10000) {
        point -= 0x10000;
        unit(0xD800 + (point >> 10));
        unit(0xDC00 + (point & 0x3FF));
    } else {
        unit(point);
    }
}

std::string OrNull(const std::string& text) {
    return text.empty() ? "null" : JsonString(text);
}

template <typename Item, typename Write>
std::string Array(const std::vector<Item>& items, Write write) {
    std::string json = "[";
    for (const Item& item : items) {
        json += (json.size() > 1 ? "," : "") + write(item);
    }
    return json + "]";
}

std::string StepJson(const InstallStep& step) {
    return std::string("{\"step\":\"") + StepCode(step.kind) +
           "\",\"file\":" + JsonString(platform::PathToUtf8(step.file)) +
           ",\"key\":" + OrNull(platform::TextToUtf8(step.key)) + ",\"slot\":" +
           (HasSlot(step.kind) && step.slot >= 0 ? std::to_string(step.slot) : "null") +
           ",\"done\":" + (step.done ? "true" : "false") + "}";
}

std::string ErrorJson(const InstallReport& report) {
    if (report.cause == FailureCause::None) {
        return "null";
    }
    return std::string("{\"code\":\"") + FailureCode(report.cause) +
           "\",\"file\":" + OrNull(platform::PathToUtf8(report.failedFile)) + ",\"message\":" +
           JsonString(FailureMessage(report.cause, report.failedFile,
                                     report.purpose == PlanPurpose::Check)) +
           "}";
}

// null when the kit's could not be read, or nothing was.
std::string MatchesKitJson(const InstallReport::Inventory& inventory) {
    if (inventory.sha256.empty() || inventory.kitSha256.empty()) {
        return "null";
    }
    return inventory.sha256 == inventory.kitSha256 ? "true" : "false";
}

std::string InventoryJson(const InstallReport::Inventory& inventory) {
    if (inventory.file.empty()) {
        return "null";
    }
    return "{\"file\":" + JsonString(platform::PathToUtf8(inventory.file)) +
           ",\"sha256\":" + OrNull(inventory.sha256) +
           ",\"matchesKit\":" + MatchesKitJson(inventory) + "}";
}

// The warnings, or none when they are left out to keep the object short.
std::string WarningsJson(const std::vector<std::string>& warnings, bool shown) {
    return Array(shown ? warnings : std::vector<std::string>(), JsonString);
}

std::string DriverJson(const DriverOutcome& driver, bool warnings) {
    const InstallReport& report = driver.report;
    const bool check = report.purpose == PlanPurpose::Check;
    return std::string("{\"driver\":\"") + driver.driver->code +
           "\",\"settingsFolder\":" + OrNull(platform::PathToUtf8(report.settingsFolder)) +
           ",\"installed\":" + (report.Installed() ? "true" : "false") + ",\"action\":\"" +
           ActionCode(report.action) + "\",\"key\":" + OrNull(platform::TextToUtf8(report.key)) +
           ",\"result\":" + (check ? "null" : std::to_string(report.Result())) +
           ",\"error\":" + ErrorJson(report) +
           ",\"flag\":" + (report.flag >= 0 ? std::to_string(report.flag) : "null") +
           ",\"missing\":" +
           Array(check ? report.MissingPieces() : std::vector<std::string>(), JsonString) +
           ",\"inventory\":" + InventoryJson(report.inventory) +
           ",\"warnings\":" + WarningsJson(report.warnings, warnings) +
           ",\"steps\":" + Array(report.steps, StepJson) + "}";
}

// {"psip": "<SHA-256>" | null, ...}; null for a command line not understood.
std::string KitJson(const std::vector<RunOutcome::KitHash>& kit) {
    std::string json;
    for (const RunOutcome::KitHash& hash : kit) {
        json += std::string(json.empty() ? "{" : ",") + "\"" + hash.driver->code +
                "\":" + OrNull(hash.sha256);
    }
    return json.empty() ? "null" : json + "}";
}

std::size_t WarningCount(const RunOutcome& run) {
    std::size_t count = run.warnings.size();
    for (const DriverOutcome& driver : run.drivers) {
        count += driver.report.warnings.size();
    }
    return count;
}

std::string OutcomeJsonWith(const RunOutcome& run, bool warnings) {
    const std::string command = !run.commandKnown                      ? "null"
                                : run.command == CliCommand::Check     ? "\"check\""
                                : run.command == CliCommand::Uninstall ? "\"uninstall\""
                                                                       : "\"install\"";
    const std::string error = run.errorCode.empty()
                                  ? "null"
                                  : "{\"code\":" + JsonString(run.errorCode) +
                                        ",\"message\":" + JsonString(run.errorMessage) + "}";
    return "{\"schemaVersion\":" + std::to_string(kSchemaVersion) +
           ",\"computer\":" + OrNull(run.computer) + ",\"time\":" + OrNull(run.time) +
           ",\"kit\":" + KitJson(run.kit) + ",\"command\":" + command +
           ",\"dryRun\":" + (run.dryRun ? "true" : "false") +
           ",\"exitCode\":" + std::to_string(run.exitCode) + ",\"error\":" + error +
           ",\"drivers\":" +
           Array(run.drivers,
                 [warnings](const DriverOutcome& driver) { return DriverJson(driver, warnings); }) +
           ",\"warnings\":" + WarningsJson(run.warnings, warnings) +
           ",\"warningsOmitted\":" + std::to_string(warnings ? 0 : WarningCount(run)) +
           ",\"version\":\"" BRENWICK_VERSION_TEXT "\"}\n";
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (std::size_t pos = 0; pos < text.size();) {
        const unsigned char byte = static_cast<unsigned char>(text[pos]);
        const std::size_t length = Utf8Length(text, pos);
        if (length == 1 && (byte == '"' || byte == '\\')) {
            json += '\\';
            json += static_cast<char>(byte);
        } else if (length == 1 && byte >= 0x20 && byte < 0x7F) {
            json += static_cast<char>(byte);
        } else {
            // Everything else as an escape: the same bytes then read alike in every code page.
            AppendEscaped(json, length == 0 ? 0xFFFD : CodePoint(text, pos, length));
        }
        pos += length == 0 ? 1 : length;
    }
    return json + "\"";
}

std::string OutcomeJson(const RunOutcome& run) {
    std::string json = OutcomeJsonWith(run, true);
    return json.size() < kJsonLimit ? json : OutcomeJsonWith(run, false);
}
