#include "pmic/rail.h"

bool RangesVoltage(std::span<const LinearRange> ranges, DWORD selector, DWORD* pVoltage)
{
    for (const LinearRange& range : ranges) {
        if (range.HoldsSelector(selector)) {
            *pVoltage = range.Voltage(selector);
            return true;
        }
    }
    return false;
}

bool RangesSelectorAtOrAbove(std::span<const LinearRange> ranges, DWORD voltage, DWORD* pSelector)
{
    for (const LinearRange& range : ranges) {
        if (voltage <= range.Maximum()) {
            *pSelector = range.SelectorAtOrAbove(voltage);
            return true;
        }
    }
    return false;
}

bool ReadSourceField(RegisterSource& source, DWORD deviceAddress, const RegisterField& field, DWORD* pValue)
{
    BYTE value = 0;
    if (!source.Read(deviceAddress, field.reg, &value))
        return false;
    *pValue = field.Get(value);
    return true;
}
