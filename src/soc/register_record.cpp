#include "soc/register_record.h"

std::string RecordComment(const char* name, const std::vector<std::string>& readings)
{
    std::string comment = name;
    for (size_t i = 0; i < readings.size(); ++i)
        comment += (i == 0 ? ": " : "; ") + readings[i];
    return comment;
}
