// The snapshot file as -snapshot writes it and -diff reads it: a header line, then one
// register per line, "LOCATION VALUE  # COMMENT".
#pragma once

extern const char kSnapshotHeader[];
extern const char kAbsentValue[];      // the value of a device that did not answer
extern const char kUnreadableValue[];  // the value of a register whose read failed
