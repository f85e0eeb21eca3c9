#pragma once
// The console program's answer for scripts: exactly one JSON object, in ASCII (every other
// character escaped), so that it reads the same in any code page.
//
//   {"schemaVersion": 1, "computer": text | null, "time": text | null (with its UTC offset),
//    "kit": null | {"psip": text | null, "twain": text | null} (SHA-256, upper-case),
//    "command": "install" | "check" | "uninstall" | null, "dryRun": bool, "exitCode": n,
//    "error": null | {"code": "usage" | "no-driver", "message": text},
//    "drivers": [{"driver": "psip" | "twain", "settingsFolder": text | null,
//                 "installed": bool,
//                 "action": "reused" | "filled" | "appended" | "removed" | "absent" | "none",
//                 "key": text | null, "result": n | null,
//                 "error": null | {"code": text, "file": text | null, "message": text},
//                 "flag": n | null, "missing": [text...],
//                 "inventory": null | {"file": text, "sha256": text | null,
//                                      "matchesKit": bool | null},
//                 "warnings": [text...],
//                 "steps": [{"step": text, "file": text, "key": text | null,
//                            "slot": n | null, "done": bool}...]}...],
//    "warnings": [text...], "warningsOmitted": n, "version": text}
//
// An object that would reach kJsonLimit characters leaves every warning out and counts them in
// "warningsOmitted"; they still go to standard error and the log.

#include <cstddef>
#include <string>

#include "cli/CliRun.h"

// Intune keeps at most this many characters of a script's output.
constexpr std::size_t kJsonLimit = 2048;

std::string OutcomeJson(const RunOutcome& run);

// UTF-8 `text` as an ASCII JSON string; bytes that are no UTF-8 become U+FFFD.
std::string JsonString(const std::string& text);
