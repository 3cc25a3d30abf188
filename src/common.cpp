#include "common.h"

#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

int stricmp(const char* s1, const char* s2)
{
    const unsigned char* a = reinterpret_cast<const unsigned char*>(s1);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(s2);
    for (;; ++a, ++b) {
        int ca = toupper(*a);
        int cb = toupper(*b);
        if (ca != cb)
            return ca - cb;
        if (ca == 0)
            return 0;
    }
}

int32_t TruncateToInt32(double q)
{
    if (q != q)
        return 0;
    if (q >= 2147483647.0)
        return INT32_MAX;
    if (q <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(q);
}

double modulus(double a, double b)
{
    return a - static_cast<double>(TruncateToInt32(a / b)) * b;
}

DWORD ParseNumber(const char* text)
{
    const char* p = text;
    while (isspace(static_cast<unsigned char>(*p)))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = (*p == '-');
        ++p;
        if (isspace(static_cast<unsigned char>(*p)) || *p == '+' || *p == '-')
            return 0;
    }
    errno = 0;
    unsigned long long magnitude = strtoull(p, nullptr, 0);
    if (errno == ERANGE || magnitude > 0xFFFFFFFFull)
        return 0xFFFFFFFFu;
    DWORD value = static_cast<DWORD>(magnitude);
    return negative ? 0u - value : value;
}

DWORD DoubleToDword(double value)
{
    if (!(value > 0))
        return 0;
    if (value >= 4294967295.0)
        return 0xFFFFFFFFu;
    return static_cast<DWORD>(value);
}

std::string Printed(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}
