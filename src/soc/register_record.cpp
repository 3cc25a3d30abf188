#include "soc/register_record.h"

std::string Joined(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : "; ") + item;
    return text;
}

std::string RecordComment(const char* name, const std::vector<std::string>& readings)
{
    return readings.empty() ? name : std::string(name) + ": " + Joined(readings);
}
