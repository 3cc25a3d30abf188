#include "bus/register_cache.h"

#include <algorithm>

#include "bus/i2c.h"

namespace {

const BYTE kRegisterBits = 8;

}  // namespace

RegisterCache::RegisterCache(DWORD node) : opened_(I2cOpen(static_cast<BYTE>(node)) == 0)
{
}

RegisterCache::~RegisterCache()
{
    if (opened_)
        I2cClose();
}

bool RegisterCache::Answers(DWORD deviceAddress) const
{
    return opened_ && std::find(absent_.begin(), absent_.end(), deviceAddress) == absent_.end();
}

bool RegisterCache::Read(DWORD deviceAddress, BYTE reg, BYTE* value)
{
    for (const CachedRegister& cached : registers_) {
        if (cached.deviceAddress == deviceAddress && cached.reg == reg) {
            *value = cached.value;
            return cached.read;
        }
    }
    if (!Answers(deviceAddress))
        return false;
    bool firstOfDevice = std::none_of(registers_.begin(), registers_.end(),
                                      [&](const CachedRegister& r) { return r.deviceAddress == deviceAddress; });
    DWORD data = 0;
    bool read = I2cRead(deviceAddress, reg, &data, kRegisterBits, kRegisterBits) == 0;
    if (!read && firstOfDevice) {
        absent_.push_back(deviceAddress);
        return false;
    }
    registers_.push_back({deviceAddress, reg, static_cast<BYTE>(data), read});
    *value = static_cast<BYTE>(data);
    return read;
}
