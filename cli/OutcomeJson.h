#pragma once
// The console program's answer for scripts: exactly one JSON object, in ASCII (every other
// character escaped), so that it reads the same in any code page.
//
//   {"command": "install" | "check" | "uninstall" | null, "dryRun": bool, "exitCode": n,
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
//    "warnings": [text...], "version": text}

#include <string>

#include "cli/CliRun.h"

std::string OutcomeJson(const RunOutcome& run);

// UTF-8 `text` as an ASCII JSON string; bytes that are no UTF-8 become U+FFFD.
std::string JsonString(const std::string& text);
