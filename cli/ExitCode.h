// SPDX-License-Identifier: MIT
// The exit statuses of zeph7208, for scripts to test.
#pragma once

namespace zeph::cli {

enum ExitCode : int {
    ExitSuccess = 0,
    ExitFailure = 1,          // anything else: a file that could not be written
    ExitUsage = 2,            // bad usage, or an unusable settings file or value
    ExitPortUnavailable = 3,  // the port cannot be opened, or went away
    ExitNoAnswer = 4,         // the device did not answer
    ExitDeviceError = 5,      // the device answered with an error status
    ExitVerifyDifference = 6, // the settings read back after a write differ from the file
    ExitSomeFailed = 7,       // commission: a device failed or did not run
    ExitAuditBroken = 8       // audit verify: a record was changed, removed or moved
};

} // namespace zeph::cli
