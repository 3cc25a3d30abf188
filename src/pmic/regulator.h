// What the command layer asks of every regulator driver. A driver looks a rail name up
// once per operation; a name it does not know makes it list the valid ones. Voltages are
// in the unit the command's value parser produced (microvolts for the AS3720, millivolts
// for the others).
#pragma once

#include <cstddef>

#include "bus/i2c_device.h"
#include "bus/register_cache.h"

// A rail as its registers show it.
struct RailReading {
    bool on;            // a rail the chip cannot switch reads as on
    double millivolts;  // the voltage set, whether the rail is on or off
    bool voltage = true;  // false for a control register the chip names like a rail (TPS6236x CTRL)
};

struct RegulatorDriver {
    const char* (*railName)(size_t index);  // null past the last rail
    void (*list)(const I2cDevice& device);  // every rail line, whatever each read reports
    int (*read)(const I2cDevice& device, const char* name);
    int (*setVoltage)(const I2cDevice& device, const char* name, double voltage);
    int (*setState)(const I2cDevice& device, const char* name, bool on);  // null: no ON/OFF
    // The index-th rail decoded from its registers, read through `source` (the device gives
    // the address where the chip answers); false when a register it needs cannot be read or
    // holds a code that stands for no voltage.
    bool (*readRail)(const I2cDevice& device, size_t index, RegisterSource& source, RailReading* reading);
};
