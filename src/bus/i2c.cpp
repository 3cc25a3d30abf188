#include "bus/i2c.h"

#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {

int g_Fd = -1;
int g_Index = -1;

const int kAttempts = 10;
const useconds_t kPauseAfterTransfer = 50000;
const useconds_t kPauseAfterFailure = 5000;

bool ValidWidth(BYTE width)
{
    return width == 8 || width == 16 || width == 24 || width == 32;
}

// Issues one I2C_RDWR with up to ten attempts; true when all messages went through.
bool Transfer(i2c_msg* msgs, __u32 count)
{
    i2c_rdwr_ioctl_data data = {msgs, count};
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (ioctl(g_Fd, I2C_RDWR, &data) == static_cast<int>(count)) {
            usleep(kPauseAfterTransfer);
            return true;
        }
        usleep(kPauseAfterFailure);
    }
    return false;
}

// current with bits msb..lsb replaced by the right-aligned field value; value bits beyond
// the field's width are dropped.
DWORD MergeField(DWORD current, DWORD field, BYTE lsb, BYTE msb)
{
    DWORD mask = I2cFieldMask(lsb, msb);
    if (mask == 0)
        return current;
    return (current & ~mask) | ((field << lsb) & mask);
}

}  // namespace

int I2cOpen(BYTE I2CInstance)
{
    if (I2CInstance == g_Index)
        return 0;
    if (g_Index >= 0)
        return 1;
    char path[19];
    snprintf(path, sizeof path, "/dev/i2c-%d", I2CInstance);
    g_Fd = open(path, O_RDWR);
    if (g_Fd < 0)
        return 2;
    g_Index = I2CInstance;
    return 0;
}

int I2cClose()
{
    if (g_Fd >= 0)
        close(g_Fd);
    g_Fd = -1;
    g_Index = -1;
    return 0;
}

int I2cBuildBuffer(BYTE* pBuf, BYTE Width, DWORD Value, DWORD* pCount)
{
    if (pCount == nullptr)
        return 1;
    if (Width != 0 && !ValidWidth(Width))
        return 2;
    DWORD count = Width / 8;
    for (DWORD i = 0; i < count; ++i)
        pBuf[i] = static_cast<BYTE>(Value >> (8 * (count - 1 - i)));
    *pCount = count;
    return 0;
}

int I2cRebuildValue(BYTE* pBuf, BYTE Width, DWORD* pData)
{
    if (pData == nullptr)
        return 1;
    DWORD value = 0;
    if (ValidWidth(Width))
        for (int i = 0; i < Width / 8; ++i)
            value = (value << 8) | pBuf[i];
    *pData = value;
    return 0;
}

int I2cRead(DWORD DeviceAddr, DWORD Offset, DWORD* pReadData, BYTE AddressBitWidth, BYTE DataBitWidth)
{
    BYTE address[8] = {};
    BYTE data[8] = {};
    DWORD addressCount = 0;
    I2cBuildBuffer(address, AddressBitWidth, Offset, &addressCount);
    // No width may make the kernel fill more than the buffer holds.
    DWORD dataCount = std::min<DWORD>(DataBitWidth / 8, sizeof data);
    i2c_msg msgs[2] = {
        {static_cast<__u16>(DeviceAddr), 0, static_cast<__u16>(addressCount), address},
        {static_cast<__u16>(DeviceAddr), I2C_M_RD, static_cast<__u16>(dataCount), data},
    };
    if (!Transfer(msgs, 2))
        return 1;
    I2cRebuildValue(data, DataBitWidth, pReadData);
    return 0;
}

int I2cWrite(DWORD DeviceAddr, DWORD Offset, DWORD Data, BYTE AddressBitWidth, BYTE DataBitWidth)
{
    BYTE buffer[8] = {};
    DWORD addressCount = 0;
    DWORD dataCount = 0;
    I2cBuildBuffer(buffer, AddressBitWidth, Offset, &addressCount);
    I2cBuildBuffer(buffer + addressCount, DataBitWidth, Data, &dataCount);
    i2c_msg msg = {static_cast<__u16>(DeviceAddr), 0, static_cast<__u16>(addressCount + dataCount), buffer};
    return Transfer(&msg, 1) ? 0 : 1;
}

DWORD I2cFieldMask(BYTE lsb, BYTE msb)
{
    // Shifts of 32 or more leave 0, as ARM register shifts do; bits shifted past bit 31 are lost.
    int span = msb - lsb;
    if (span < 0 || span > 31 || lsb > 31)
        return 0;
    return (0xFFFFFFFFu >> (31 - span)) << lsb;
}

int I2cReadBitRange(DWORD DeviceAddr, DWORD Offset, DWORD* pReadData, BYTE AddressBitWidth, BYTE DataBitWidth,
                    BYTE lsb, BYTE msb)
{
    *pReadData = 0;
    DWORD value = 0;
    int status = I2cRead(DeviceAddr, Offset, &value, AddressBitWidth, DataBitWidth);
    if (status != 0)
        return status;
    DWORD mask = I2cFieldMask(lsb, msb);
    *pReadData = mask == 0 ? 0 : (value & mask) >> lsb;
    return 0;
}

int I2cWriteBitRange(DWORD DeviceAddr, DWORD Offset, DWORD Data, BYTE AddressBitWidth, BYTE DataBitWidth, BYTE lsb,
                     BYTE msb)
{
    if (msb > 7 || msb < lsb)
        return 22;
    DWORD current = 0;
    int status = I2cRead(DeviceAddr, Offset, &current, AddressBitWidth, DataBitWidth);
    if (status != 0)
        return status;
    return I2cWrite(DeviceAddr, Offset, MergeField(current, Data, lsb, msb), AddressBitWidth, DataBitWidth);
}

int I2cWriteMasked(DWORD DeviceAddr, DWORD Offset, DWORD Data, BYTE AddressBitWidth, BYTE DataBitWidth, DWORD mask)
{
    if (mask == 0) {
        printf("Invalid BitMask 0 to access PMU registers\n");
        return 1;
    }
    BYTE lsb = static_cast<BYTE>(__builtin_ctz(mask));
    BYTE msb = static_cast<BYTE>(31 - __builtin_clz(mask));
    return I2cWriteBitRange(DeviceAddr, Offset, Data, AddressBitWidth, DataBitWidth, lsb, msb);
}
