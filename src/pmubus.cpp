#include "pmubus.h"

#include "i2c.h"

namespace {

BYTE AddrBits()
{
    return static_cast<BYTE>(g_AddrBitWidth);
}

BYTE DataBits()
{
    return static_cast<BYTE>(g_DataBitWidth);
}

}  // namespace

int PmuOpen()
{
    return I2cOpen(static_cast<BYTE>(g_Instance));
}

int PmuRead(DWORD reg, DWORD* pValue)
{
    return I2cRead(g_PMUSlaveAddr, reg, pValue, AddrBits(), DataBits());
}

int PmuWrite(DWORD reg, DWORD value)
{
    return I2cWrite(g_PMUSlaveAddr, reg, value, AddrBits(), DataBits());
}

int PmuReadField(DWORD reg, DWORD* pValue, BYTE lsb, BYTE msb)
{
    return I2cReadBitRange(g_PMUSlaveAddr, reg, pValue, AddrBits(), DataBits(), lsb, msb);
}

int PmuWriteField(DWORD reg, DWORD value, BYTE lsb, BYTE msb)
{
    return I2cWriteBitRange(g_PMUSlaveAddr, reg, value, AddrBits(), DataBits(), lsb, msb);
}

int PmuWriteMasked(DWORD reg, DWORD value, DWORD mask)
{
    return I2cWriteMasked(g_PMUSlaveAddr, reg, value, AddrBits(), DataBits(), mask);
}
