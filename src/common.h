// Integer types and the string and number helpers every layer shares.
#pragma once

#include <cstdint>
#include <string>

typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef uint8_t BYTE;

int stricmp(const char* s1, const char* s2);
double modulus(double a, double b);

// strtoul(text, NULL, 0) as the 32-bit targets see it: the result saturates at
// 0xFFFFFFFF, so a 64-bit host parses every argument exactly as the board does.
DWORD ParseNumber(const char* text);

// double to int32_t as the ARM targets convert: truncation toward zero, saturating at
// INT32_MIN and INT32_MAX, and 0 for a value that is not a number.
int32_t TruncateToInt32(double value);

// double to DWORD as the ARM targets convert: truncation toward zero, saturating at 0 and
// 0xFFFFFFFF, and 0 for a value that is not a number.
DWORD DoubleToDword(double value);

// printf into a string (at most 255 characters).
std::string Printed(const char* format, ...) __attribute__((format(printf, 1, 2)));
