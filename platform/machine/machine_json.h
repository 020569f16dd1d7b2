// Machine descriptions in JSON, as the executable reads them from the file named by
// COPPERLEAF_MACHINE. Every key is optional: an absent key keeps the default of machine.h, and an
// absent "displays" or "adapters" list keeps that of the default machine.
//
//   { "displays": [ { "name": "\\\\.\\DISPLAY1", "description": "...", "attached": true,
//                     "primary": true, "mirroring": false, "x": 0, "y": 0,
//                     "mode": { "width": 1280, "height": 1024, "refresh": 60, "bits": 32 },
//                     "monitorName": "...", "monitorDescription": "..." } ],
//     "adapters": [ { "display": 0, "description": "...", "driver": "...",
//                     "deviceIdentifier": [16 bytes], "modes": [ { "width": ..., ... } ],
//                     "hal": { "available": true, "hardwareTransformAndLight": true,
//                              "pureDevice": true, "bumpEnvMap": true, "v8u8": true },
//                     "ref": { ... }, "sw": { ... } } ],
//     "faults": { "deviceLostFromFrame": -1, "deviceNotResetFromFrame": -1,
//                 "direct3dMissing": false, "createDeviceRefuses": [ modes ],
//                 "failResourceCreation": false, "failLocks": false,
//                 "missingLibraries": [ "MPR.DLL" ] } }
//
// A display without "monitorName" gets "<name>\Monitor0"; an empty "monitorName" means the
// device has no monitor. Numbers are whole and within their range (a coordinate is 32-bit, and so is
// a monitor's far edge); all monitors together have at most 2^26 pixels.
#pragma once
#include <optional>
#include <string>

#include "platform/machine/machine.h"

namespace machine {

// The machine a description gives, or nothing with `error` set to what is wrong with it.
std::optional<Machine> ParseMachine(const std::string& text, std::string& error);

// The machine of the file named by COPPERLEAF_MACHINE; the default machine when the variable is
// unset, and also (after a message on standard error) when the name is no regular file of at most
// 1 MiB, or the file cannot be read or is invalid.
Machine MachineFromEnvironment();

}  // namespace machine
