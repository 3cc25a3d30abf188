// Registers of the devices on one I2C bus for decoding, read from the bus once each and
// remembered, as a regmap cache keeps them. Rail decoders read through RegisterSource, so
// the same decoder serves the live bus and a recorded image.
#pragma once

#include <vector>

#include "common.h"

class RegisterSource {
public:
    virtual ~RegisterSource() = default;
    // False when the register cannot be read.
    virtual bool Read(DWORD deviceAddress, BYTE reg, BYTE* value) = 0;
};

struct CachedRegister {
    DWORD deviceAddress;
    BYTE reg;
    BYTE value;
    bool read;  // false: the read failed
};

// Opens the bus node for its lifetime. A device whose first read fails is taken as absent
// and not asked again, so a missing chip costs one retry cycle, not one per register.
class RegisterCache : public RegisterSource {
public:
    explicit RegisterCache(DWORD node);
    ~RegisterCache() override;
    RegisterCache(const RegisterCache&) = delete;
    RegisterCache& operator=(const RegisterCache&) = delete;

    bool Opened() const { return opened_; }
    bool Read(DWORD deviceAddress, BYTE reg, BYTE* value) override;
    // False once a device's first read failed (or the node did not open).
    bool Answers(DWORD deviceAddress) const;
    // Every register asked for, in the order first asked.
    const std::vector<CachedRegister>& Registers() const { return registers_; }

private:
    bool opened_;
    std::vector<CachedRegister> registers_;
    std::vector<DWORD> absent_;
};
