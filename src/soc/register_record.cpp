#include "soc/register_record.h"

#include <cstdarg>
#include <cstdio>

std::string RecordComment(const char* name, const std::vector<std::string>& readings)
{
    std::string comment = name;
    for (size_t i = 0; i < readings.size(); ++i)
        comment += (i == 0 ? ": " : "; ") + readings[i];
    return comment;
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
